// Kesto Manager, the native Windows front end: finds Kesto devices on the local
// network, lists them, and changes their settings.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "app/logic/PollingLoop.h"
#include "app/logic/TargetOption.h"
#include "app/win32/MessagePump.h"
#include "app/win32/QUORINDlg.h"
#include "app/win32/SelfTest.h"
#include "app/win32/SelfTestOptions.h"
#include "app/win32/resource.h"
#include "platform/SocketLayer.h"

namespace {

constexpr const char* kAppName = "Tamrel Kesto Manager";

void Complain(const std::string& sText) { MessageBoxA(nullptr, sText.c_str(), kAppName, MB_OK | MB_ICONWARNING); }

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
  // The list view and the IP address controls must exist before any dialog is made.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_INTERNET_CLASSES};
  InitCommonControlsEx(&controls);

  SelfTestOptions selfTestOptions;
  std::string sError;
  if (!ParseSelfTestOptions(__argc, __argv, &selfTestOptions, &sError)) {
    Complain("kesto-manager: " + sError);
    return 2;
  }

  if (!platform::StartSocketLayer()) {
    char szText[256] = "Windows sockets initialization failed.";
    LoadStringA(hInstance, IDP_SOCKETS_INIT_FAILED, szText, sizeof szText);
    Complain(szText);
    return 0;
  }

  KestoFinderOptions options;
  // Developer setting: probe one host (loopback) instead of broadcasting.
  const char* pszTarget = std::getenv("KESTO_TARGET");
  if (pszTarget != nullptr && !ParseTargetOption(pszTarget, &options.endpTarget, &sError)) {
    Complain("kesto-manager: " + sError);
    platform::StopSocketLayer();
    return 2;
  }
  // The self-test runs unattended, so it never broadcasts: it needs a target.
  if (selfTestOptions.IsOn() && pszTarget == nullptr) {
    Complain("kesto-manager: --self-test needs KESTO_TARGET=a.b.c.d:port");
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
    ShowWindow(window.GetHwnd(), SW_SHOW);
    if (!selfTestOptions.IsOn()) window.ReportSocketProblem();

    std::optional<CSelfTest> selfTest;
    if (selfTestOptions.IsOn()) selfTest.emplace(window, selfTestOptions);
    CPollingLoop::Run({[&] { return window.IsQuitRequested() || (selfTest && selfTest->IsDone()); },
                       [] { return PumpOneMessage(); }, [&window](int iMs) { window.PauseForAnswer(iMs); },
                       [&] {
                         window.PollDevices();
                         if (selfTest) selfTest->AfterPass();
                       }});
    if (selfTest) iExitCode = selfTest->GetExitCode();
  }
  platform::StopSocketLayer();
  return iExitCode;
}
