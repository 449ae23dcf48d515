#ifndef KESTO_APP_WIN32_SELFTEST_H
#define KESTO_APP_WIN32_SELFTEST_H

#include <cstdint>
#include <string>

#include "app/win32/SelfTestOptions.h"

class CQUORINDlg;
class CConfigKestoDlg;

// Runs the self-test mode beside the normal loop: watches the list after each
// pass and, once it shows the expected rows and has had time to paint, writes
// the report and the captures, then asks the loop to end.
class CSelfTest {
 public:
  CSelfTest(CQUORINDlg& window, SelfTestOptions options);

  // Called after every pass of the main loop.
  void AfterPass();
  bool IsDone() const { return m_state == State::kDone; }
  // 0 when the rows appeared in time and every capture was written.
  int GetExitCode() const { return m_iExitCode; }

 private:
  enum class State { kWaiting, kSettling, kFollowing, kDone };

  bool TimedOut() const;
  void Finish();
  void OnConfigTurn(CConfigKestoDlg& dialog);
  // Sends the new address through the dialog; the row must then follow.
  void StartSetIP();
  void CheckFollowed();
  bool WriteReport(const std::string& sOutcome);
  void Fail(const std::string& sWhy);

  CQUORINDlg& m_window;
  SelfTestOptions m_options;
  State m_state = State::kWaiting;
  uint32_t m_dwStart;
  uint32_t m_dwSettleStart = 0;
  uint32_t m_dwDialogStart = 0;
  bool m_bDialogSeen = false;
  std::string m_sEditedMAC;  // the row whose address --set-ip changed
  int m_iExitCode = 0;
  std::string m_sNotes;  // report lines after the rows: captions seen, problems
};

#endif
