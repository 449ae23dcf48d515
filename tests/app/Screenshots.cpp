// Renders the main window with simulated devices and the configuration dialog
// to PNG files for the documentation. Run offscreen: scripts/screenshots.
#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QHelpEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <memory>
#include <tuple>
#include <vector>

#include "app/qt/ConfigKestoDlg.h"
#include "app/qt/IPAddressEdit.h"
#include "app/qt/MultiConfigDlg.h"
#include "app/qt/ProgramIcon.h"
#include "app/qt/QUORINDlg.h"
#include "tests/app/WindowDriver.h"
#include "app/logic/ConfigKestoModel.h"
#include "app/logic/DeviceColumnSet.h"
#include "app/logic/MultiConfigForm.h"
#include "support/FakeClock.h"
#include "support/FakeDatagramSocket.h"
#include "support/InterfaceBuilder.h"
#include "support/RecordBuilder.h"

namespace {

// A fixed computer for the pictures: 192.168.1.5/24 on eth0 and 10.20.0.5/16 on wlan0.
bool FixedInterfaces(std::vector<platform::NetInterface>* pTable) {
  pTable->clear();
  for (const auto& [pszName, dwAddress, dwMask] :
       {std::tuple{"eth0", 0xC0A80105u, 0xFFFFFF00u}, std::tuple{"wlan0", 0x0A140005u, 0xFFFF0000u}})
    pTable->push_back(MakeInterface(pszName, dwAddress, dwMask));
  return true;
}

std::unique_ptr<CQUORINDlg> MakeWindow(FakeClock& clock, FakeDatagramSocket** ppSocket) {
  auto socket = std::make_unique<FakeDatagramSocket>();
  *ppSocket = socket.get();
  KestoFinderOptions options;
  options.pTicks = &clock;
  options.fnReadInterfaces = &FixedInterfaces;
  options.fnRouteSource = nullptr;
  return std::make_unique<CQUORINDlg>(std::make_unique<CKestoFinder>(options, std::move(socket)));
}

// Thirty devices of a small plant: long names and versions, a shared address, ports up to 10000.
void AddDevices(CQUORINDlg& window, FakeDatagramSocket& socket, FakeClock& clock) {
  static const char* const kPlaces[] = {"Boiler room", "Attic ventilation", "Pool pump", "Greenhouse", "Workshop",
                                        "Cold store", "Garage door", "Solar inverter", "Heat pump", "Well pump"};
  static const char* const kShort[] = {"Boiler", "Attic", "Pool", "Greenhouse", "Workshop",
                                       "Cold store", "Garage", "Solar", "Heat pump", "Well"};
  // The longest texts come first, so they stand lowest in the newest-first list.
  static const char* const kVersions[] = {"KM-200 2.17.4", "KM-210 3.0.1", "KM-200 2.17.4 build 2291 2024-11-02"};
  for (int i = 0; i < 30; ++i) {
    std::string sName = i < 10 ? kPlaces[i] : std::string(kShort[i % 10]) + " " + std::to_string(i / 10 + 1);
    if (i == 7) sName = "North wing irrigation valve3";  // the full 28 bytes of the field
    KESTO_RECORD record = MakeDeviceRecord(static_cast<uint8_t>(0x21 + i), sName, 0xC0A8010Au + static_cast<uint32_t>(i));
    if (i == 7) std::memcpy(record.szName, sName.data(), sizeof record.szName);
    if (i == 12) record.dwIPAddress = 0xC0A8010Au + 3;  // shares the pool pump's address
    record.iPort = i % 3 == 0 ? 10000 : (i % 3 == 1 ? 4001 : 0);
    record.cType = static_cast<int8_t>(2 + i % 4);
    record.wBaudRate = i % 2 ? 9600 : 49664;
    std::snprintf(record.szVersion, sizeof record.szVersion, "%s", kVersions[i < 10 ? i % 3 : i % 2]);
    socket.Queue(RecordBytes(record));
    clock.Advance(20);
    window.PollDevices();
  }
}

// A crowd of 2000 devices answering at once, named after the rooms they sit in.
void AddCrowd(CQUORINDlg& window, FakeDatagramSocket& socket, FakeClock& clock) {
  static const char* const kRooms[] = {"Boiler room", "Pump house", "Cold store", "Workshop", "Greenhouse",
                                       "Heat pump", "Well", "Garage", "Attic", "Laundry"};
  for (uint32_t i = 0; i < 2000; ++i) {
    const std::string sName = std::string(kRooms[i % 10]) + " " + std::to_string(i / 10 + 1);
    KESTO_RECORD record = MakeRecord(0x00300000u + i, sName);
    record.dwIPAddress = 0x0A140000u + 0x100u * (i / 200) + 10u + i % 200;  // 10.20.0.10 on, wlan0's network
    record.dwNetMask = 0xFFFF0000u;
    record.dwGateway = 0x0A140001u;
    std::snprintf(record.szVersion, sizeof record.szVersion, "KM-200 2.%u.%u", 15 + i % 3, i % 7);
    socket.Queue(RecordBytes(record));
    if (i % 250 == 249) {
      clock.Advance(20);
      window.PollDevices();
    }
  }
}

// Lets the delayed layouts (scroll bars, header) settle before a picture.
void Settle() {
  QEventLoop loop;
  QTimer::singleShot(100, &loop, &QEventLoop::quit);
  loop.exec();
}

bool Save(QWidget& widget, const QString& sPath) {
  Settle();
  if (!widget.grab().save(sPath)) return false;
  std::printf("%s\n", qPrintable(sPath));
  return true;
}

// The tooltip the list shows at a cell, painted over the window's picture where it stands.
bool SaveWithToolTip(QWidget& window, QTreeView* pList, const QModelIndex& index, const QString& sPath) {
  Settle();
  QWidget* pViewport = pList->viewport();
  const QPoint at = pList->visualRect(index).center();
  QHelpEvent help(QEvent::ToolTip, at, pViewport->mapToGlobal(at));
  QApplication::sendEvent(pViewport, &help);
  Settle();
  QWidget* pTip = nullptr;
  for (QWidget* pWidget : QApplication::topLevelWidgets())
    if (pWidget->inherits("QTipLabel") && pWidget->isVisible()) pTip = pWidget;
  if (pTip == nullptr) return false;
  QPixmap picture = window.grab();
  QPainter painter(&picture);
  painter.drawPixmap(window.mapFromGlobal(pTip->mapToGlobal(QPoint(0, 0))), pTip->grab());
  painter.end();
  if (!picture.save(sPath)) return false;
  std::printf("%s\n", qPrintable(sPath));
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setWindowIcon(ProgramIcon());
  const QString sDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
  // The pictures never read or write the user's own settings.
  QTemporaryDir settingsDir;
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());

  FakeClock clock(1000);
  FakeDatagramSocket* pSocket = nullptr;

  // Before any answer: the empty list says what is going on.
  {
    auto empty = MakeWindow(clock, &pSocket);
    empty->show();
    empty->PollDevices();
    if (!Save(*empty, sDir + QStringLiteral("/main-window-empty.png"))) return 1;
  }

  auto window = MakeWindow(clock, &pSocket);
  AddDevices(*window, *pSocket, clock);
  window->show();
  QApplication::processEvents();

  // "Set Configuration" on the newest row, then its answer with the new name.
  window_driver::ClickRow(window_driver::DeviceList(window.get()), 0);
  QTimer::singleShot(0, window.get(), [] {
    if (auto* pDialog = qobject_cast<CConfigKestoDlg*>(QApplication::activeModalWidget())) {
      pDialog->GetNameEdit()->setText(QStringLiteral("Well east"));
      pDialog->GetSetButton()->click();
    }
  });
  window->GetPresenter().OnBasicConfig();
  clock.Advance(300);
  pSocket->Queue(RecordBytes(window->GetPresenter().GetRow(0).GetRecord()));
  window->PollDevices();
  window_driver::ClickRow(window_driver::DeviceList(window.get()), 2);
  if (!Save(*window, sDir + QStringLiteral("/main-window.png"))) return 1;

  // Maximised, with extra columns, sorted by IP address.
  for (int iColumn : {CDeviceColumnSet::kNetMask, CDeviceColumnSet::kType, CDeviceColumnSet::kBaud,
                      CDeviceColumnSet::kLastSeen})
    window->SetColumnShown(iColumn, true);
  CDeviceSortOrder order;
  order.Set(CDeviceColumnSet::kIP, true);
  window->SetSortOrder(order);
  window->showMaximized();
  clock.Advance(700);
  window->PollDevices();
  window->FitColumns();
  QLineEdit* pFilter = window_driver::Find<QLineEdit>(window.get(), "filter");
  pFilter->setText(QStringLiteral("192.168.1"));
  if (!Save(*window, sDir + QStringLiteral("/main-window-maximised.png"))) return 1;
  pFilter->clear();
  window->showNormal();

  CConfigKestoModel model(window->GetPresenter().GetRow(2));
  CConfigKestoDlg dialog(model, window.get());
  dialog.show();
  if (!Save(dialog, sDir + QStringLiteral("/config-dialog.png"))) return 1;

  // A gateway outside the device's network: the check explains itself, and nothing is sent.
  dialog.GetAddressEdit(2)->setAddress(0x0A000001u);
  dialog.GetSetButton()->click();
  QMessageBox* pBox = dialog.GetCheckMessage();
  if (pBox == nullptr) return 1;
  Settle();
  const QPixmap dialogPicture = dialog.grab();
  const QPixmap boxPicture = pBox->grab();
  QPixmap both(dialogPicture.width() + 12 + boxPicture.width(), std::max(dialogPicture.height(), boxPicture.height()));
  both.fill(dialog.palette().color(QPalette::Mid));
  QPainter painter(&both);
  painter.drawPixmap(0, 0, dialogPicture);
  painter.drawPixmap(dialogPicture.width() + 12, (both.height() - boxPicture.height()) / 2, boxPicture);
  painter.end();
  const QString sCheck = sDir + QStringLiteral("/config-dialog-check.png");
  if (!both.save(sCheck)) return 1;
  std::printf("%s\n", qPrintable(sCheck));
  pBox->close();
  dialog.close();

  // Five rows selected: the form for them all, with a range of addresses and the plan it makes.
  window_driver::ClickRow(window_driver::DeviceList(window.get()), 0);
  window_driver::ClickRow(window_driver::DeviceList(window.get()), 4, Qt::ShiftModifier);
  CMultiConfigForm form(window->GetPresenter().SelectedRecords(), window->GetPresenter().ListedRecords());
  CMultiConfigDlg multi(form, window.get());
  multi.GetFirstIPEdit()->setText(QStringLiteral("192.168.1.100"));
  multi.GetLastIPEdit()->setText(QStringLiteral("192.168.1.120"));
  multi.show();
  if (!Save(multi, sDir + QStringLiteral("/multi-config-dialog.png"))) return 1;
  multi.close();

  // The Name column narrowed by hand: a cut name's tooltip starts with the whole name.
  QTreeView* pList = window_driver::DeviceList(window.get());
  window->SetSortOrder(CDeviceSortOrder());
  pList->setColumnWidth(CDeviceColumnSet::kName, 110);
  const QModelIndex cut = pList->model()->index(29 - 7, CDeviceColumnSet::kName);  // the full 28-byte name
  pList->scrollTo(cut);
  if (!SaveWithToolTip(*window, pList, cut, sDir + QStringLiteral("/main-window-tooltip.png"))) return 1;
  window->hide();

  // 2000 devices, maximised, sorted by name with the header's arrow.
  auto crowd = MakeWindow(clock, &pSocket);
  crowd->showMaximized();
  AddCrowd(*crowd, *pSocket, clock);
  CDeviceSortOrder byName;
  byName.Set(CDeviceColumnSet::kName, true);
  crowd->SetSortOrder(byName);
  clock.Advance(300);
  crowd->PollDevices();
  if (!Save(*crowd, sDir + QStringLiteral("/main-window-2000.png"))) return 1;
  return 0;
}
