#ifndef KESTO_PLAN_CHANGELOG_H
#define KESTO_PLAN_CHANGELOG_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "plan/ChangeLine.h"

// The log of settings sent, one per program: every path that sends settings
// writes to it through CChangeLogEntry, so the front ends only open it (or
// leave it off) at start. A line that cannot be written never stops a send: the
// failure goes to the warning function, once, and is counted.
class CChangeLog {
 public:
  // Past this size the log is renamed to changes.jsonl.1 (replacing the older one).
  static constexpr uint64_t kRotateBytes = 10ull << 20;
  // How long a writer waits for another program's line before giving up on its own.
  static constexpr uint32_t kLockWaitMs = 2000;

  // The program's log; off until Open.
  static CChangeLog& Process();
  // changes.jsonl in the user's state folder; empty when the environment names none.
  static std::string DefaultPath();

  // Writes to sPath from now on, naming sBy as the front end in each line.
  void Open(std::string sPath, std::string sBy, std::function<void(const std::string&)> fnWarn);
  // Writes nothing more (--no-log, the windows' setting).
  void Close();
  bool IsOpen() const { return !m_sPath.empty(); }
  const std::string& Path() const { return m_sPath; }
  const std::string& By() const { return m_sBy; }
  // Marks the sends that follow as taking back the change sId (empty: none).
  void SetUndoOf(std::string sId) { m_sUndoOf = std::move(sId); }

  // Logs a send; returns the change's id, or empty when the log is off.
  std::string LogSend(const KESTO_RECORD& old, const KESTO_RECORD& sent);
  void LogOutcome(const std::string& sId, const uint8_t byMAC[6], ChangeOutcome outcome);
  // Lines that could not be written.
  size_t FailureCount() const { return m_nFailures; }
  // Why the latest line could not be written; empty once a line is written again.
  const std::string& LastError() const { return m_sLastError; }

 private:
  void Write(const ChangeLine& line);

  std::string m_sPath;
  std::string m_sBy;
  std::string m_sUndoOf;
  std::function<void(const std::string&)> m_fnWarn;
  size_t m_nFailures = 0;
  std::string m_sLastError;
  uint64_t m_qwNextId = 0;
};

#endif
