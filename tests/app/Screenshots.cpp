// Renders the main window with simulated devices and the configuration dialog
// to PNG files for the documentation. Run offscreen: scripts/screenshots.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <memory>
#include <tuple>
#include <vector>

#include "app/ConfigKestoDlg.h"
#include "app/ProgramIcon.h"
#include "app/QUORINDlg.h"
#include "app/logic/ConfigKestoModel.h"
#include "support/FakeClock.h"
#include "support/FakeDatagramSocket.h"
#include "support/InterfaceBuilder.h"
#include "tests/app/AppTestRecords.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setWindowIcon(ProgramIcon());
  const QString sDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");

  FakeClock clock(1000);
  auto socket = std::make_unique<FakeDatagramSocket>();
  FakeDatagramSocket* pSocket = socket.get();
  KestoFinderOptions options;
  options.pTicks = &clock;
  // A fixed computer for the picture: 192.168.1.5/24 on eth0 and 10.20.0.5/16 on wlan0.
  options.fnReadInterfaces = [](std::vector<platform::NetInterface>* pTable) {
    pTable->clear();
    for (const auto& [pszName, dwAddress, dwMask] :
         {std::tuple{"eth0", 0xC0A80105u, 0xFFFFFF00u}, std::tuple{"wlan0", 0x0A140005u, 0xFFFF0000u}}) {
      pTable->push_back(MakeInterface(pszName, dwAddress, dwMask));
    }
    return true;
  };
  options.fnRouteSource = nullptr;
  CQUORINDlg window(std::make_unique<CKestoFinder>(options, std::move(socket)));

  const struct {
    const char* pszName;
    uint32_t dwIP;
    int32_t iPort;
    int8_t cType;
    const char* pszVersion;
  } devices[] = {
      {"Boiler room", 0xC0A8010Au, 10001, 2, "KM-200 2.17.4"},
      {"Attic ventilation", 0xC0A8010Bu, 0, 3, "KM-200 2.17.4"},
      {"Pool pump", 0xC0A8011Eu, 4001, 5, "KM-210 3.0.1"},
      {"Greenhouse", 0xC0A8011Eu, 4001, 5, "KM-210 3.0.1"},  // the pool pump's address too
      {"Workshop", 0xC0A80128u, 10001, 4, "KM-200 2.17.4"},
  };
  uint8_t byLast = 0x21;
  for (const auto& device : devices) {
    KESTO_RECORD record = MakeRecord(byLast++, device.pszName, device.dwIP);
    record.iPort = device.iPort;
    record.cType = device.cType;
    std::snprintf(record.szVersion, sizeof record.szVersion, "%s", device.pszVersion);
    pSocket->Queue(RecordBytes(record));
    window.PollDevices();
  }
  window.show();
  QApplication::processEvents();

  // "Set Configuration" on the workshop's row, then its answer with the new name.
  window.GetList()->topLevelItem(0)->setSelected(true);
  QTimer::singleShot(0, &window, [] {
    if (auto* pDialog = qobject_cast<CConfigKestoDlg*>(QApplication::activeModalWidget())) {
      pDialog->GetNameEdit()->setText(QStringLiteral("Workshop east"));
      pDialog->GetSetButton()->click();
    }
  });
  window.GetPresenter().OnBasicConfig();
  clock.Advance(300);
  pSocket->Queue(RecordBytes(window.GetPresenter().GetRow(0).GetRecord()));
  window.PollDevices();
  window.GetList()->clearSelection();
  window.GetList()->topLevelItem(3)->setSelected(true);
  QApplication::processEvents();
  const QString sMain = sDir + QStringLiteral("/main-window.png");
  if (!window.grab().save(sMain)) return 1;

  CConfigKestoModel model(window.GetPresenter().GetRow(2));
  CConfigKestoDlg dialog(model, &window);
  dialog.show();
  QApplication::processEvents();
  const QString sDialog = sDir + QStringLiteral("/config-dialog.png");
  if (!dialog.grab().save(sDialog)) return 1;
  std::printf("%s\n%s\n", qPrintable(sMain), qPrintable(sDialog));
  return 0;
}
