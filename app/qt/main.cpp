// Kesto Manager: finds Kesto devices on the local network, lists them, and
// changes their settings.
#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/qt/AppIdentity.h"
#include "app/qt/ChangeLogMenu.h"
#include "app/qt/EventPump.h"
#include "app/qt/QUORINDlg.h"
#include "app/logic/DisplayCheck.h"
#include "app/logic/PollingLoop.h"
#include "app/logic/ProgramArguments.h"
#include "app/logic/TargetOption.h"
#include "app/logic/WindowTexts.h"
#include "platform/SocketLayer.h"

int main(int argc, char* argv[]) {
  if (const int iStatus = AnswerProgramArguments(argc, argv, stdout); iStatus >= 0) return iStatus;
  if (ReportMissingDisplay(stderr)) return 1;
  QApplication app(argc, argv);
  SetApplicationIdentity();

  if (!platform::StartSocketLayer()) {
    QMessageBox::warning(nullptr, QString::fromLatin1(CWindowTexts::kCaption),
                         QStringLiteral("Windows sockets initialization failed."));
    return 0;
  }

  KestoFinderOptions options;
  // Room for the answers of thousands of devices to one probe, as the command line has.
  options.iReceiveBufferBytes = 8 << 20;
  // Developer setting: probe one host (loopback) instead of broadcasting.
  if (const char* pszTarget = std::getenv("KESTO_TARGET")) {
    std::string sError;
    if (!ParseTargetOption(pszTarget, &options.endpTarget, &sError)) {
      std::fprintf(stderr, "kesto-manager: %s\n", sError.c_str());
      platform::StopSocketLayer();
      return 2;
    }
  }

  // Settings sent from the window are logged beside the command line's, unless turned off.
  StartChangeLogFromSettings();

  {
    CQUORINDlg window(std::make_unique<CKestoFinder>(options));
    window.show();
    window.ReportSocketProblem();
    CPollingLoop::Run({[&window] { return window.IsQuitRequested(); }, &ProcessWaitingEvents,
                       [&window](int iMs) { window.PauseForAnswer(iMs); }, [&window] { window.PollDevices(); }});
  }
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  platform::StopSocketLayer();
  return 0;
}
