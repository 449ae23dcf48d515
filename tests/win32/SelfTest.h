#ifndef KESTO_TESTS_WIN32_SELFTEST_H
#define KESTO_TESTS_WIN32_SELFTEST_H

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "app/win32/ProgramRun.h"
#include "tests/win32/SelfTestOptions.h"

class CConfigKestoDlg;

// Watches the real program's loop: once the list shows the expected rows it
// optionally gives the top device a new address through "Basic Config..." and
// waits for its row to follow, types the filter, lets the window paint, writes
// the report and the captures, then ends the loop.
class CSelfTest : public IProgramWatcher {
 public:
  explicit CSelfTest(SelfTestOptions options);

  void Started(CQUORINDlg& window) override;
  bool AfterPass() override;
  // 0 when the rows appeared in time and every capture was written.
  int GetExitCode() const override { return m_iExitCode; }

 private:
  enum class State { kWaiting, kFollowing, kSettling, kDone };

  bool TimedOut() const;
  void StartSettling();
  void Finish();
  void OnConfigTurn(CConfigKestoDlg& dialog);
  // --more-screenshots: the multi-selection, the form, a plan's preview, the undo's preview.
  void CaptureMore();
  // Opens a window through fnOpen and, from a timer inside its loop, captures the window
  // captioned pszCaption once painted (fnPrepare run on it first), then cancels it.
  void CaptureDialog(const char* pszCaption, const std::string& sName, const std::function<void(HWND)>& fnPrepare,
                     const std::function<void()>& fnOpen);
  // Sends the new address through the dialog; the row must then follow.
  void StartSetIP();
  void CheckFollowed();
  bool WriteReport(const std::string& sOutcome);
  void Fail(const std::string& sWhy);
  HWND List() const;

  CQUORINDlg* m_pWindow = nullptr;
  HWND m_hWnd = nullptr;
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
