#ifndef KESTO_PLAN_CHANGEHISTORY_H
#define KESTO_PLAN_CHANGEHISTORY_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plan/ChangeLine.h"

// One change as the log tells it: its send line and, once written, its outcome.
struct LoggedChange {
  ChangeLine send;
  std::optional<ChangeOutcome> outcome;  // none: the program ended before it was known
  std::string OutcomeText() const;
  // True when the device is known to have taken it.
  bool TookEffect() const { return outcome == ChangeOutcome::kConfirmed; }
};

// The changes read back from the log and its rotated file, newest first.
// Reading is bounded (the last kMaxBytes of each file, at most kMaxChanges
// changes); a line that is not a change line is skipped and counted, never fatal.
class CChangeHistory {
 public:
  static constexpr size_t kMaxBytes = 12u << 20;
  static constexpr size_t kMaxChanges = 100000;

  // A line longer than this is damaged.
  static constexpr size_t kMaxLineBytes = 64u << 10;

  // Reads sPath.1 then sPath; a missing file is an empty history.
  static CChangeHistory Read(const std::string& sPath);
  // The history in the texts of log files, oldest file first.
  static CChangeHistory FromTexts(const std::vector<std::string>& texts);

  const std::vector<LoggedChange>& Changes() const { return m_changes; }  // newest first
  size_t DamagedCount() const { return m_nDamaged; }
  size_t DroppedCount() const { return m_nDropped; }

  // The device's changes (newest first), those from llSinceMs on.
  std::vector<LoggedChange> Select(const std::array<uint8_t, 6>* pMac, int64_t llSinceMs) const;
  // The device's newest change, or null.
  const LoggedChange* Latest(const uint8_t byMAC[6]) const;
  // The newest change of any device, or null.
  const LoggedChange* Latest() const { return m_changes.empty() ? nullptr : &m_changes.front(); }

 private:
  void AddText(const std::string& sText);
  void Add(ChangeLine line);

  std::vector<LoggedChange> m_changes;  // oldest first while reading, newest first after
  size_t m_nDamaged = 0;
  size_t m_nDropped = 0;
};

// "name: "Old" -> "New"" for each field the dialog writes that differs between
// the two records, device texts escaped (TerminalText).
std::vector<std::string> ChangedFieldTexts(const KESTO_RECORD& from, const KESTO_RECORD& to);

#endif
