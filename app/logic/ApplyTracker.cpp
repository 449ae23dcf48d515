#include "app/logic/ApplyTracker.h"

#include <algorithm>
#include <cstring>

#include "discovery/KestoName.h"
#include "formats/TerminalText.h"

const char* ApplyStateText(ApplyState state) {
  switch (state) {
    case ApplyState::kSent:
      return "sent";
    case ApplyState::kConfirmed:
      return "confirmed";
    case ApplyState::kNotConfirmed:
      return "not confirmed";
    case ApplyState::kNotSent:
      return "not sent";
  }
  return "";
}

void CApplyTracker::OnSent(const KESTO_RECORD& record, uint32_t dwNow, bool bSent,
                           std::vector<platform::Ipv4Endpoint> vecSentTo, CChangeLogEntry logEntry) {
  if (!bSent) logEntry.Finish(ChangeOutcome::kNotSent);
  // A new send to the same device replaces what was followed for it.
  m_items.erase(std::remove_if(m_items.begin(), m_items.end(),
                               [&](const Item& item) { return std::memcmp(item.sent.byMAC, record.byMAC, 6) == 0; }),
                m_items.end());
  m_items.insert(m_items.begin(), Item{record, CKestoSettingsChange::AllOf(record), dwNow, bSent ? ApplyState::kSent : ApplyState::kNotSent,
                                       CKestoConfirmation(record, std::move(vecSentTo), dwNow), std::move(logEntry)});
  while (m_items.size() > kMaxTracked) {
    // Drop the oldest finished outcome; only when every one is pending, the oldest of all.
    auto oldest = std::find_if(m_items.rbegin(), m_items.rend(), [](const Item& item) {
      return item.state != ApplyState::kSent;
    });
    if (oldest == m_items.rend()) oldest = m_items.rbegin();
    m_items.erase(std::next(oldest).base());
  }
}

bool CApplyTracker::Update(const CKestoFinder& finder, uint32_t dwNow) {
  bool bChanged = false;
  for (Item& item : m_items) {
    if (item.state != ApplyState::kSent) continue;
    // Wrapping differences: an answer counts when it came within the window
    // after the send, even if this pass runs later than that; and only from the
    // addresses the settings went to, each of which must show them.
    item.confirmation.Update(
        finder, [&](const KESTO_RECORD& answer) { return item.settings.IsAppliedIn(answer); }, kConfirmWindowMs);
    if (item.confirmation.IsConfirmed()) {
      item.state = ApplyState::kConfirmed;
      item.logEntry.Finish(ChangeOutcome::kConfirmed);
      bChanged = true;
    } else if (item.confirmation.IsUntracked() || static_cast<uint32_t>(dwNow - item.dwSent) > kConfirmWindowMs) {
      // Too many addresses answer for it: no wait can confirm it, so say so at once.
      item.state = ApplyState::kNotConfirmed;
      item.logEntry.Finish(ChangeOutcome::kNotConfirmed);
      bChanged = true;
    }
  }
  return bChanged;
}

const ApplyState* CApplyTracker::Find(const uint8_t byMAC[6]) const {
  for (const Item& item : m_items)
    if (std::memcmp(item.sent.byMAC, byMAC, 6) == 0) return &item.state;
  return nullptr;
}

std::vector<platform::Ipv4Endpoint> CApplyTracker::Unconfirmed(const uint8_t byMAC[6]) const {
  for (const Item& item : m_items)
    if (std::memcmp(item.sent.byMAC, byMAC, 6) == 0) return item.confirmation.GetUnconfirmed();
  return {};
}

std::string CApplyTracker::Reason(const uint8_t byMAC[6]) const {
  for (const Item& item : m_items)
    if (std::memcmp(item.sent.byMAC, byMAC, 6) == 0)
      return item.state == ApplyState::kNotConfirmed ? item.confirmation.Reason() : std::string();
  return {};
}

void CApplyTracker::Forget(const uint8_t byMAC[6]) {
  std::erase_if(m_items, [&](const Item& item) { return std::memcmp(item.sent.byMAC, byMAC, 6) == 0; });
}

bool CApplyTracker::HasPending() const {
  return std::any_of(m_items.begin(), m_items.end(), [](const Item& item) { return item.state == ApplyState::kSent; });
}

std::vector<uint64_t> CApplyTracker::Keys() const {
  std::vector<uint64_t> keys;
  for (const Item& item : m_items) keys.push_back(MacKey(item.sent.byMAC));
  return keys;
}

std::string CApplyTracker::StatusText() const {
  std::string sText;
  for (size_t i = 0; i < m_items.size() && i < kStatusItems; ++i) {
    if (i > 0) sText += "   ";
    const KESTO_RECORD& sent = m_items[i].sent;
    // A device's name is the device's own text: no control character reaches the status line.
    const std::string sName = TerminalText(FieldText(sent.szName, sizeof sent.szName));
    if (!sName.empty()) sText += sName + " (";
    sText += FormatMAC(sent.byMAC) + (sName.empty() ? ": " : "): ") + ApplyStateText(m_items[i].state);
    if (m_items[i].state == ApplyState::kNotConfirmed && m_items[i].confirmation.IsUntracked())
      sText += std::string(" (") + kUntrackedText + ")";
  }
  if (m_items.size() > kStatusItems) sText += "   (+" + std::to_string(m_items.size() - kStatusItems) + " more)";
  return sText;
}
