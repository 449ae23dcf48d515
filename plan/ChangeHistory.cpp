#include "plan/ChangeHistory.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "discovery/KestoRecordRules.h"
#include "formats/TerminalText.h"
#include "platform/LockedAppend.h"

std::string LoggedChange::OutcomeText() const {
  return outcome ? ChangeOutcomeText(*outcome) : "outcome unknown";
}

CChangeHistory CChangeHistory::Read(const std::string& sPath) {
  std::vector<std::string> texts;
  for (const std::string& sFile : {sPath + ".1", sPath}) {
    std::string sText;
    if (!platform::ReadFileTail(sFile, kMaxBytes, &sText)) continue;
    // Only the end of a longer file was read: its first line is a piece, not damage.
    if (sText.size() == kMaxBytes) sText.erase(0, std::min(sText.size(), sText.find('\n') + 1));
    texts.push_back(std::move(sText));
  }
  return FromTexts(texts);
}

CChangeHistory CChangeHistory::FromTexts(const std::vector<std::string>& texts) {
  CChangeHistory history;
  for (const std::string& sText : texts) history.AddText(sText);
  std::reverse(history.m_changes.begin(), history.m_changes.end());
  return history;
}

void CChangeHistory::AddText(const std::string& sText) {
  size_t nStart = 0;
  while (nStart < sText.size()) {
    size_t nEnd = sText.find('\n', nStart);
    if (nEnd == std::string::npos) nEnd = sText.size();
    const std::string_view text(sText.data() + nStart, nEnd - nStart);
    nStart = nEnd + 1;
    if (text.empty()) continue;
    ChangeLine line;
    if (text.size() > kMaxLineBytes || !ChangeLineFromJson(text, &line)) {
      ++m_nDamaged;
      continue;
    }
    Add(std::move(line));
  }
}

void CChangeHistory::Add(ChangeLine line) {
  if (line.kind == ChangeLine::Kind::kOutcome) {
    // Outcomes follow their send closely: search from the newest.
    for (auto it = m_changes.rbegin(); it != m_changes.rend(); ++it) {
      if (it->send.sId == line.sId && it->send.mac == line.mac) {
        it->outcome = line.outcome;
        break;
      }
    }
    return;
  }
  if (m_changes.size() >= kMaxChanges) {
    m_changes.erase(m_changes.begin());
    ++m_nDropped;
  }
  m_changes.push_back(LoggedChange{std::move(line), std::nullopt});
}

std::vector<LoggedChange> CChangeHistory::Select(const std::array<uint8_t, 6>* pMac, int64_t llSinceMs) const {
  std::vector<LoggedChange> selected;
  for (const LoggedChange& change : m_changes)
    if ((pMac == nullptr || change.send.mac == *pMac) && change.send.llTimeMs >= llSinceMs) selected.push_back(change);
  return selected;
}

const LoggedChange* CChangeHistory::Latest(const uint8_t byMAC[6]) const {
  for (const LoggedChange& change : m_changes)
    if (std::memcmp(change.send.mac.data(), byMAC, 6) == 0) return &change;
  return nullptr;
}

std::vector<std::string> ChangedFieldTexts(const KESTO_RECORD& from, const KESTO_RECORD& to) {
  std::vector<std::string> texts;
  auto add = [&](const char* pszField, const std::string& sFrom, const std::string& sTo) {
    if (sFrom != sTo) texts.push_back(std::string(pszField) + ": " + sFrom + " -> " + sTo);
  };
  auto quoted = [](const KESTO_RECORD& record) {
    return "\"" + TerminalText(FieldText(record.szName, sizeof record.szName)) + "\"";
  };
  add("name", quoted(from), quoted(to));
  add("ip", FormatAddress(from.dwIPAddress), FormatAddress(to.dwIPAddress));
  add("netmask", FormatAddress(from.dwNetMask), FormatAddress(to.dwNetMask));
  add("gateway", FormatAddress(from.dwGateway), FormatAddress(to.dwGateway));
  add("dns", FormatAddress(from.dwDNS), FormatAddress(to.dwDNS));
  add("type", std::to_string(from.cType), std::to_string(to.cType));
  add("protocol", std::string(ProtocolText(from.shProtocol)), std::string(ProtocolText(to.shProtocol)));
  add("baud", std::to_string(BaudFromWire(from.wBaudRate)), std::to_string(BaudFromWire(to.wBaudRate)));
  return texts;
}
