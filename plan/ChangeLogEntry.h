#ifndef KESTO_PLAN_CHANGELOGENTRY_H
#define KESTO_PLAN_CHANGELOGENTRY_H

#include <array>
#include <cstdint>
#include <string>

#include "plan/ChangeLine.h"

// One change in the program's log (CChangeLog::Process), from its send to its
// outcome: the hook every sending path holds. An entry dropped without an outcome
// ends "not confirmed", since nothing confirmed it.
class CChangeLogEntry {
 public:
  CChangeLogEntry() = default;
  // Logs the send of `sent` to a device that last answered with `old`.
  static CChangeLogEntry Begin(const KESTO_RECORD& old, const KESTO_RECORD& sent);
  CChangeLogEntry(CChangeLogEntry&& other) noexcept;
  CChangeLogEntry& operator=(CChangeLogEntry&& other) noexcept;
  CChangeLogEntry(const CChangeLogEntry&) = delete;
  CChangeLogEntry& operator=(const CChangeLogEntry&) = delete;
  ~CChangeLogEntry();

  // Logs the outcome; later calls do nothing.
  void Finish(ChangeOutcome outcome);
  bool IsOpen() const { return !m_sId.empty(); }

 private:
  std::string m_sId;
  std::array<uint8_t, 6> m_mac{};
};

#endif
