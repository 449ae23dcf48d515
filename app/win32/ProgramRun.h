#ifndef KESTO_APP_WIN32_PROGRAMRUN_H
#define KESTO_APP_WIN32_PROGRAMRUN_H

class CQUORINDlg;

// Lets a test harness watch the program run; the shipped program passes none.
class IProgramWatcher {
 public:
  virtual ~IProgramWatcher() = default;
  // The window is shown and the loop about to start.
  virtual void Started(CQUORINDlg& window) = 0;
  // After every polling pass; true ends the loop.
  virtual bool AfterPass() = 0;
  virtual int GetExitCode() const = 0;
};

// The whole program after its arguments: the common controls, the socket layer,
// KESTO_TARGET, the main window and the polling loop until the window is closed
// (or the watcher is done). With a watcher, no message box waits for the user.
int RunKestoManager(IProgramWatcher* pWatcher);

#endif
