#ifndef KESTO_APP_LOGIC_UNDOLASTCHANGE_H
#define KESTO_APP_LOGIC_UNDOLASTCHANGE_H

#include <cstddef>
#include <string>
#include <vector>

#include "discovery/KestoSettingsChange.h"
#include "plan/ChangeHistory.h"

// "Undo last change" on a row of the windows: the device's latest logged
// change, what taking it back sends, the preview the user confirms, and the
// device's history for the "Change history" dialog.
class CUndoLastChange {
 public:
  // History lines shown at most; the rest are counted.
  static constexpr size_t kHistoryLines = 50;
  static constexpr const char* kNoChangeText = "No change of this device is in the change log.";

  // The device's latest change in history; not available when there is none or
  // it altered nothing that could go back.
  static CUndoLastChange ForDevice(const CChangeHistory& history, const uint8_t byMAC[6]);

  bool IsAvailable() const { return m_bAvailable; }
  // Why it is not available, for the user.
  const std::string& Reason() const { return m_sReason; }
  // The text the user confirms: which change, and each field going back.
  std::string PreviewText() const;
  // The fields going back, with their old values.
  const CKestoSettingsChange& Request() const { return m_request; }
  // The logged id of the change taken back.
  const std::string& ChangeId() const { return m_change.send.sId; }

  // The device's changes, newest first: "2026-12-10T02:30:00.123Z window (confirmed): name: "A" -> "B"".
  static std::vector<std::string> HistoryLines(const CChangeHistory& history, const uint8_t byMAC[6]);

 private:
  bool m_bAvailable = false;
  std::string m_sReason;
  LoggedChange m_change;
  CKestoSettingsChange m_request;
};

#endif
