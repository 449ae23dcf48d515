#include "plan/ChangeLog.h"

#include <cstring>
#include <random>

#include "formats/HexText.h"
#include "platform/LockedAppend.h"
#include "platform/StateFolder.h"
#include "plan/UtcTimeText.h"

CChangeLog& CChangeLog::Process() {
  static CChangeLog log;
  return log;
}

std::string CChangeLog::DefaultPath() {
  const std::string sFolder = platform::StateFolder();
  return sFolder.empty() ? std::string() : sFolder + platform::PathSeparator() + "changes.jsonl";
}

void CChangeLog::Open(std::string sPath, std::string sBy, std::function<void(const std::string&)> fnWarn) {
  m_sPath = std::move(sPath);
  m_sBy = std::move(sBy);
  m_fnWarn = std::move(fnWarn);
  m_sLastError.clear();
  if (m_qwNextId == 0) {
    // Ids only need to tell apart the changes of programs writing at the same millisecond.
    std::random_device random;
    m_qwNextId = (static_cast<uint64_t>(random()) << 20) | 1;
  }
  if (m_sPath.empty() && m_fnWarn) m_fnWarn("no state folder is known (HOME is not set), so no change is logged");
}

void CChangeLog::Close() {
  m_sPath.clear();
  m_sLastError.clear();
}

std::string CChangeLog::LogSend(const KESTO_RECORD& old, const KESTO_RECORD& sent) {
  if (!IsOpen()) return {};
  ChangeLine line;
  line.kind = ChangeLine::Kind::kSend;
  line.llTimeMs = UtcNowMs();
  line.sId = HexNumber(static_cast<uint64_t>(line.llTimeMs), 11) + "-" + HexNumber(m_qwNextId++, 12);
  std::memcpy(line.mac.data(), sent.byMAC, line.mac.size());
  line.sBy = m_sBy;
  line.sUndoOf = m_sUndoOf;
  line.old = old;
  line.sent = sent;
  Write(line);
  return line.sId;
}

void CChangeLog::LogOutcome(const std::string& sId, const uint8_t byMAC[6], ChangeOutcome outcome) {
  if (!IsOpen() || sId.empty()) return;
  ChangeLine line;
  line.kind = ChangeLine::Kind::kOutcome;
  line.llTimeMs = UtcNowMs();
  line.sId = sId;
  std::memcpy(line.mac.data(), byMAC, line.mac.size());
  line.sBy = m_sBy;
  line.outcome = outcome;
  Write(line);
}

void CChangeLog::Write(const ChangeLine& line) {
  std::string sError;
  if (platform::AppendLocked(m_sPath, ChangeLineToJson(line) + "\n", kRotateBytes, kLockWaitMs, &sError)) {
    m_sLastError.clear();
    return;
  }
  m_sLastError = sError;
  // Said once: a log that cannot be written must not flood the output of a long run.
  if (m_nFailures++ == 0 && m_fnWarn)
    m_fnWarn("the change log cannot be written (" + sError + "); settings are sent without it");
}
