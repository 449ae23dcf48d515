// The real main window against kesto-sim with real broadcasts. Run only by
// gui_e2e.sh inside a test network namespace; it refuses to run in the
// machine's own namespace. Usage: app_gui_e2e SIMULATOR_PID
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QHeaderView>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QTest>
#include <algorithm>
#include <utility>
#include <chrono>
#include <cstring>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <sys/stat.h>

#include "app/qt/ConfigKestoDlg.h"
#include "app/qt/EventPump.h"
#include "app/qt/IPAddressEdit.h"
#include "app/qt/QUORINDlg.h"
#include "app/logic/PollingLoop.h"
#include "discovery/KestoWire.h"
#include "tests/app/WindowDriver.h"

using namespace window_driver;

namespace {

// True when this process runs in one of the lab's named namespaces.
bool InLabNamespace() {
  struct stat self {};
  if (stat("/proc/self/ns/net", &self) != 0) return false;
  const QDir dir(QStringLiteral("/run/netns"));
  for (const QString& sName : dir.entryList({QStringLiteral("kesto-lab-*")}, QDir::Files | QDir::System)) {
    struct stat named {};
    if (stat(dir.filePath(sName).toLocal8Bit().constData(), &named) == 0 && named.st_ino == self.st_ino &&
        named.st_dev == self.st_dev)
      return true;
  }
  return false;
}

// Turns the program's loop until bDone holds or the time is up.
bool RunUntil(CQUORINDlg& window, const std::function<bool()>& fnDone, int iSeconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(iSeconds);
  bool bDone = false;
  CPollingLoop::Run({[&] { return (bDone = fnDone()) || std::chrono::steady_clock::now() > deadline; },
                     &ProcessWaitingEvents, [&window](int iMs) { window.PauseForAnswer(iMs); },
                     [&window] { window.PollDevices(); }});
  return bDone;
}

int Fail(const char* pszWhat) {
  std::fprintf(stderr, "FAIL: %s\n", pszWhat);
  return 1;
}

// Header clicks by the X server's own mouse (xdotool), on a window shown by a real window
// manager: the IP column ascending, descending, then newest first again.
int HeaderClicks(CQUORINDlg& window, int nDevices) {
  QTreeView* pList = DeviceList(&window);
  if (!RunUntil(window, [&] { return RowCount(pList) == nDevices; }, 10)) return Fail("the devices did not appear");
  // The window manager places and maps the window; the header's place on screen is known after that.
  if (!QTest::qWaitForWindowExposed(&window)) return Fail("the window was not shown");
  window.activateWindow();
  QPoint last;
  RunUntil(window, [&] { const QPoint now = window.mapToGlobal(QPoint()); return std::exchange(last, now) == now && !now.isNull(); }, 3);
  const QStringList newest = Column(pList, 1);
  auto addresses = [pList] {
    std::vector<uint32_t> list;
    for (const QString& sIP : Column(pList, 2)) {
      uint32_t dwIP = 0;
      ParseAddress(sIP.toStdString(), &dwIP);
      list.push_back(dwIP);
    }
    return list;
  };
  for (int iClick = 1; iClick <= 3; ++iClick) {
    QHeaderView* pHeader = pList->header();
    const QPoint at = pHeader->viewport()->mapToGlobal(
        QPoint(pHeader->sectionViewportPosition(2) + pHeader->sectionSize(2) / 2, pHeader->height() / 2));
    const int iRc = QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(at.x()),
                                                                  QString::number(at.y()), QStringLiteral("click"),
                                                                  QStringLiteral("1")});
    if (iRc != 0) return Fail("xdotool failed");
    const auto done = [&] {
      const std::vector<uint32_t> ips = addresses();
      if (iClick == 1) return pHeader->isSortIndicatorShown() && std::is_sorted(ips.begin(), ips.end());
      if (iClick == 2)
        return pHeader->isSortIndicatorShown() && pHeader->sortIndicatorOrder() == Qt::DescendingOrder &&
               std::is_sorted(ips.rbegin(), ips.rend());
      return !pHeader->isSortIndicatorShown() && Column(pList, 1) == newest;
    };
    if (!RunUntil(window, done, 5)) {
      std::printf("clicked at %d,%d; arrow %d; addresses %s\n", at.x(), at.y(), pHeader->isSortIndicatorShown() ? 1 : 0,
                  qPrintable(Column(pList, 2).join(u' ')));
      return Fail("a header click did not give the expected order");
    }
    std::printf("header click %d: %s\n", iClick, qPrintable(Column(pList, 2).mid(0, 3).join(u' ')));
  }
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) return Fail("usage: app_gui_e2e SIMULATOR_PID | app_gui_e2e --header-clicks");
  if (!InLabNamespace()) return Fail("not inside a test network namespace; refusing to broadcast");
  const pid_t simPid = static_cast<pid_t>(std::atol(argv[1]));
  QApplication app(argc, argv);
  // The window's remembered settings go to a throw-away folder, never the user's own.
  QTemporaryDir settingsDir;
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());

  // The default target: the limited broadcast, port 1444.
  CQUORINDlg window(std::make_unique<CKestoFinder>());
  if (!window.GetFinder().IsSocketOpen()) return Fail("socket not open");
  window.show();
  if (std::strcmp(argv[1], "--header-clicks") == 0) return HeaderClicks(window, 30);
  QTreeView* pList = DeviceList(&window);

  if (!RunUntil(window, [&] { return RowCount(pList) == 3; }, 10)) return Fail("three devices did not appear");
  std::printf("three devices listed\n");

  ClickRow(pList, 1);
  const QString sMAC = Cell(pList, 1, 1);
  QTimer::singleShot(50, &window, [] {
    auto* pDialog = qobject_cast<CConfigKestoDlg*>(QApplication::activeModalWidget());
    if (pDialog == nullptr) return;
    pDialog->GetNameEdit()->setText(QStringLiteral("Renamed over the air"));
    pDialog->GetAddressEdit(0)->setAddress(0x0AC90063u);  // 10.201.0.99
    pDialog->GetAddressEdit(2)->setAddress(0x0AC90001u);  // its gateway, which must lie inside its network
    pDialog->GetSetButton()->click();
  });
  QTimer::singleShot(5000, &window, [] {
    if (QWidget* pModal = QApplication::activeModalWidget()) pModal->close();
  });
  QTest::mouseClick(Find<QPushButton>(&window, "basicConfig"), Qt::LeftButton);
  const CKestoInfo* pCopy = window.GetPresenter().GetSelectedRecord();
  if (pCopy == nullptr || pCopy->GetName() != "Renamed over the air") return Fail("the dialog was not confirmed");
  uint8_t bySent[kesto_wire::kSetConfigSize];
  kesto_wire::EncodeSetConfig(pCopy->GetRecord(), bySent);
  std::printf("set-config ");
  for (uint8_t by : bySent) std::printf("%02x", by);
  std::printf("\n");

  auto rowOf = [&] { return static_cast<int>(Column(pList, 1).indexOf(sMAC)); };
  if (!RunUntil(window,
                [&] {
                  const int iRow = rowOf();
                  return iRow >= 0 && Cell(pList, iRow, 0) == QStringLiteral("Renamed over the air") &&
                         Cell(pList, iRow, 2) == QStringLiteral("10.201.0.99");
                },
                10))
    return Fail("the row did not follow the applied settings");
  if (RowCount(pList) != 3) return Fail("the edited device got a second row");
  std::printf("row follows the device\n");
  const QString sConfirmed = sMAC + QStringLiteral("): confirmed");
  QLabel* pStatus = Find<QLabel>(&window, "status");
  if (!RunUntil(window, [&] { return pStatus->text().contains(sConfirmed); }, 5))
    return Fail("the status line did not confirm the settings");
  std::printf("status line: %s\n", qPrintable(pStatus->text()));

  QLineEdit* pFilter = Find<QLineEdit>(&window, "filter");
  QTest::keyClicks(pFilter, QStringLiteral("renamed OVER"));
  if (RowCount(pList) != 1 || rowOf() != 0) return Fail("the filter did not leave only the renamed device");
  pFilter->clear();
  std::printf("filter shows the renamed device only\n");

  kill(simPid, SIGTERM);
  const auto stopped = std::chrono::steady_clock::now();
  if (!RunUntil(window, [&] { return RowCount(pList) == 0; }, 10)) return Fail("rows stayed after the simulator stopped");
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - stopped).count();
  if (ms < 1000) return Fail("rows went before the devices could have aged");
  std::printf("rows gone %lld ms after the simulator stopped\n", static_cast<long long>(ms));
  return 0;
}
