#include "app/win32/ProgramRun.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/logic/PollingLoop.h"
#include "app/logic/TargetOption.h"
#include "app/logic/WindowTexts.h"
#include "app/win32/MessagePump.h"
#include "app/win32/QUORINDlg.h"
#include "app/win32/resource.h"
#include "platform/SocketLayer.h"

namespace {

void Complain(const std::string& sText) {
  MessageBoxA(nullptr, sText.c_str(), CWindowTexts::kCaption, MB_OK | MB_ICONWARNING);
}

}  // namespace

int RunKestoManager(IProgramWatcher* pWatcher) {
  // The list view, the IP address controls and the tooltips must exist before any dialog is made.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_INTERNET_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);

  if (!platform::StartSocketLayer()) {
    char szText[256] = "Windows sockets initialization failed.";
    LoadStringA(GetModuleHandleA(nullptr), IDP_SOCKETS_INIT_FAILED, szText, sizeof szText);
    Complain(szText);
    return 0;
  }

  KestoFinderOptions options;
  // Developer setting: probe one host (loopback) instead of broadcasting.
  std::string sError;
  const char* pszTarget = std::getenv("KESTO_TARGET");
  if (pszTarget != nullptr && !ParseTargetOption(pszTarget, &options.endpTarget, &sError)) {
    Complain("kesto-manager: " + sError);
    platform::StopSocketLayer();
    return 2;
  }

  int iExitCode = 0;
  {
    CQUORINDlg window(std::make_unique<CKestoFinder>(options));
    if (!window.Create()) {
      platform::StopSocketLayer();
      return 1;
    }
    // Settings sent from the window are logged beside the command line's, unless the user
    // switched that off; a self-test leaves the user's log alone.
    if (pWatcher == nullptr) window.StartChangeLog();
    ShowWindow(window.GetHwnd(), SW_SHOW);
    if (pWatcher == nullptr) window.ReportSocketProblem();
    if (pWatcher != nullptr) pWatcher->Started(window);
    bool bWatcherDone = false;
    HWND hWnd = window.GetHwnd();
    CPollingLoop::Run({[&] { return window.IsQuitRequested() || bWatcherDone; },
                       [hWnd] { return PumpOneMessage(hWnd); }, [&window](int iMs) { window.PauseForAnswer(iMs); },
                       [&] {
                         window.PollDevices();
                         if (pWatcher != nullptr) bWatcherDone = pWatcher->AfterPass();
                       }});
    if (pWatcher != nullptr) iExitCode = pWatcher->GetExitCode();
  }
  platform::StopSocketLayer();
  return iExitCode;
}
