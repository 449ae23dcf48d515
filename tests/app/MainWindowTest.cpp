// The main window's widgets: columns, buttons, keys, and the two commands.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDesktopServices>
#include <QInputDialog>
#include <QToolButton>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QClipboard>
#include <QImage>
#include <cstring>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <memory>

#include "app/qt/ConfigKestoDlg.h"
#include "app/qt/DialogUnits.h"
#include "app/qt/MultiConfigDlg.h"
#include "plan/DevicePlan.h"
#include "app/qt/PlanCommands.h"
#include "app/qt/PlanPreviewDlg.h"
#include "app/qt/PlanPreviewList.h"
#include "app/logic/DeviceColumnSet.h"
#include "discovery/KestoWire.h"
#include "app/qt/QUORINDlg.h"
#include "support/FakeClock.h"
#include "support/FakeDatagramSocket.h"
#include "support/InterfaceBuilder.h"
#include "support/RecordBuilder.h"
#include "tests/app/WindowDriver.h"
#include "version/KestoVersion.h"

using namespace window_driver;

class MainWindowTest : public QObject {
  Q_OBJECT

 public slots:
  void handleUrl(const QUrl& url) { m_urls << url.toString(); }

 private:
  std::unique_ptr<CQUORINDlg> MakeWindow(const std::vector<KESTO_RECORD>& devices) {
    auto socket = std::make_unique<FakeDatagramSocket>();
    m_pSocket = socket.get();
    KestoFinderOptions options;
    options.pTicks = &m_clock;
    options.fnReadInterfaces = nullptr;  // only the one target, whatever this computer's adapters
    auto window = std::make_unique<CQUORINDlg>(std::make_unique<CKestoFinder>(options, std::move(socket)));
    for (const auto& record : devices) m_pSocket->Queue(RecordBytes(record));
    for (size_t i = 0; i < devices.size(); ++i) window->PollDevices();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) qFatal("the window did not show");
    return window;
  }

  template <class T>
  static T* W(const std::unique_ptr<CQUORINDlg>& window, const char* pszName) {
    return Find<T>(window.get(), pszName);
  }
  static QPushButton* Button(const std::unique_ptr<CQUORINDlg>& window, const char* pszName) {
    return W<QPushButton>(window, pszName);
  }

  // A file in dir holding bytes, then grown to nSize bytes when that is larger; its path.
  static QString WriteFileIn(const QTemporaryDir& dir, const char* pszName, const QByteArray& bytes, qint64 nSize = 0) {
    const QString sPath = dir.filePath(QString::fromLatin1(pszName));
    QFile file(sPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || (nSize > bytes.size() && !file.resize(nSize)))
      qFatal("cannot write %s", qPrintable(sPath));
    return sPath;
  }

  static bool IsBlank(const QIcon& icon) {
    const QImage image = icon.pixmap(16, 16).toImage();
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (qAlpha(image.pixel(x, y)) != 0) return false;
    return true;
  }

  QTemporaryDir m_settingsDir;
  FakeClock m_clock{5000};
  FakeDatagramSocket* m_pSocket = nullptr;
  QStringList m_urls;

 private slots:
  void initTestCase() {
    // Settings go to a throw-away folder, never the user's own.
    QVERIFY(m_settingsDir.isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
  }
  void init() { QFile::remove(m_settingsDir.filePath(QStringLiteral("Kesto/kesto-manager.ini"))); }

  void columnsTitlesAndWidths() {
    auto window = MakeWindow({});
    QTreeView* pList = DeviceList(window.get());
    const char* titles[] = {"Name", "MAC Address", "IP Address", "Port", "Version"};
    const int widths[] = {110, 150, 100, 40, 150};
    const QFontMetrics metrics(pList->font());
    // The widths start from the old ones but never cut the column's own widest value.
    const int needed[] = {0, metrics.horizontalAdvance(QStringLiteral("DD-DD-DD-DD-DD-DD")),
                          metrics.horizontalAdvance(QStringLiteral("255.255.255.255")),
                          metrics.horizontalAdvance(QStringLiteral("10000")), 0};
    for (int i = 0; i < 5; ++i) {
      QCOMPARE(pList->model()->headerData(i, Qt::Horizontal).toString(), QString::fromLatin1(titles[i]));
      QVERIFY(!pList->isColumnHidden(i));
      // The name also holds the mark icon; the last column takes whatever room is left.
      const int iOld = widths[i] + (i == 0 ? pList->iconSize().width() + 4 : 0);
      QVERIFY2(pList->header()->sectionSize(i) >= std::max(iOld, needed[i] + 4), titles[i]);
      if (i < 4) QVERIFY2(pList->header()->sectionSize(i) <= std::max(iOld, needed[i] + 40), titles[i]);
    }
    for (int i = 5; i < pList->model()->columnCount(); ++i) QVERIFY(pList->isColumnHidden(i));
    QCOMPARE(pList->selectionMode(), QAbstractItemView::ExtendedSelection);
  }

  void aCutCellShowsItsTextInTheTooltip() {
    KESTO_RECORD record = MakeDeviceRecord(1, std::string(27, 'W'), 0x0A000001u);
    std::memset(record.szVersion, 'V', sizeof record.szVersion);
    auto window = MakeWindow({record, MakeDeviceRecord(2, "Shed", 0x0A000001u)});
    window->resize(window->minimumSize());
    QTreeView* pList = DeviceList(window.get());
    pList->setColumnWidth(0, 60);  // as a user narrows it
    QCOMPARE(ToolTipAt(pList, 1, 0).section(u'\n', 0, 0), QString(27, u'W'));
    pList->setColumnWidth(4, 40);
    QCOMPARE(ToolTipAt(pList, 1, 4).section(u'\n', 0, 0), QString(36, u'V'));
    QVERIFY(ToolTipAt(pList, 1, 4).contains(QStringLiteral("also used by")));  // the marks follow
    QVERIFY(!ToolTipAt(pList, 1, 3).contains(QStringLiteral("10001")));        // the port fits
    QVERIFY(!ToolTipAt(pList, 0, 0).startsWith(QStringLiteral("Shed")));
    pList->setColumnWidth(4, 2000);
    QVERIFY(!ToolTipAt(pList, 1, 4).startsWith(QStringLiteral("VVV")));
  }

  void theNameColumnGrowsToTheLongestNameWhileThereIsRoom() {
    auto window = MakeWindow({MakeDeviceRecord(1, "Workshop 1 north compressor", 0x0A000001u),
                              MakeDeviceRecord(2, "Shed", 0x0A000002u)});
    QTreeView* pList = DeviceList(window.get());
    window->resize(1400, 700);
    QApplication::processEvents();
    window->PollDevices();
    QVERIFY(!ToolTipAt(pList, 1, 0).startsWith(QStringLiteral("Workshop")));  // not cut
    const QFontMetrics metrics(pList->font());
    QVERIFY(pList->columnWidth(0) >= metrics.horizontalAdvance(QStringLiteral("Workshop 1 north compressor")) +
                                         pList->iconSize().width());
    // Every column stands in view, the last one up to the edge.
    const QHeaderView* pHeader = pList->header();
    QCOMPARE(pHeader->sectionViewportPosition(4) + pHeader->sectionSize(4), pList->viewport()->width());
  }

  void captionButtonsAndSize() {
    auto window = MakeWindow({});
    QCOMPARE(window->windowTitle(), QStringLiteral("Tamrel Kesto Manager"));
    QCOMPARE(Button(window, "basicConfig")->text(), QStringLiteral("&Basic Config..."));
    QCOMPARE(Button(window, "launch")->text(), QStringLiteral("&Lauch Configurator..."));
    QVERIFY(!window->windowIcon().isNull());
    const CDialogUnits du;
    // The old fixed size is the least it takes; a first start opens with room for about 20 rows.
    QCOMPARE(window->minimumSize(), du.Size(387, 145));
    QTreeView* pList = DeviceList(window.get());
    const int iRow = std::max(pList->fontMetrics().height(), pList->iconSize().height());
    QVERIFY2(pList->viewport()->height() >= 19 * iRow, qPrintable(QString::number(pList->viewport()->height())));
    int iColumns = 0;
    for (int i = 0; i < 5; ++i) iColumns += pList->columnWidth(i);
    QVERIFY(pList->viewport()->width() >= iColumns);  // no column cut, no horizontal scroll bar
    QVERIFY(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    QVERIFY(window->maximumWidth() > 4000 && window->maximumHeight() > 4000);
    const QSize listBefore = pList->size();
    window->resize(window->width() + 300, window->height() + 200);
    QApplication::processEvents();
    QCOMPARE(pList->size(), listBefore + QSize(300, 200));  // the list takes the room
    QVERIFY(Button(window, "about")->isVisible());
  }

  void aboutBoxGivesTheVersion() {
    auto window = MakeWindow({});
    QTest::mouseClick(Button(window, "about"), Qt::LeftButton);
    auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    QVERIFY(pBox != nullptr && pBox->isVisible());
    // The version from CMake, as kesto --version and kesto-sim --version print it.
    const QString sVersion = QString::fromLatin1(GetKestoVersion());
    QVERIFY2(sVersion.startsWith(QStringLiteral(KESTO_PROJECT_VERSION)), qPrintable(sVersion));
    QVERIFY2(pBox->text().contains(QStringLiteral("Version ") + sVersion), qPrintable(pBox->text()));
    // The loop keeps turning behind it.
    window->PollDevices();
    QVERIFY(!window->IsQuitRequested());
    pBox->accept();
    QVERIFY(!pBox->isVisible());
  }

  void rowsAreThePresentersRowsNewestFirst() {
    auto window = MakeWindow({MakeDeviceRecord(1, "First", 0x0A000001u), MakeDeviceRecord(2, "Second", 0x0A000002u)});
    QTreeView* pList = DeviceList(window.get());
    QCOMPARE(RowCount(pList), 2);
    QCOMPARE(Cell(pList, 0, 0), QStringLiteral("Second"));
    QCOMPARE(Cell(pList, 1, 1), QStringLiteral("00-1A-2B-3C-4D-01"));
    QCOMPARE(Cell(pList, 1, 2), QStringLiteral("10.0.0.1"));
    QCOMPARE(Cell(pList, 1, 3), QStringLiteral("10001"));
    QCOMPARE(Cell(pList, 1, 4), QStringLiteral("FW 2.17"));
    m_clock.Advance(2001);
    window->PollDevices();
    QCOMPARE(RowCount(pList), 0);
  }

  void escapeEnterAndCloseOnlyRaiseTheFlag() {
    auto window = MakeWindow({MakeDeviceRecord(1, "First", 0x0A000001u)});
    QSignalSpy basicClicks(Button(window, "basicConfig"), &QPushButton::clicked);
    QSignalSpy launchClicks(Button(window, "launch"), &QPushButton::clicked);
    ClickRow(DeviceList(window.get()), 0);
    for (QWidget* pTarget : {static_cast<QWidget*>(window.get()), static_cast<QWidget*>(Button(window, "basicConfig")),
                             static_cast<QWidget*>(Button(window, "launch"))}) {
      QTest::keyClick(pTarget, Qt::Key_Escape);
      QTest::keyClick(pTarget, Qt::Key_Return);
      QTest::keyClick(pTarget, Qt::Key_Enter);
    }
    QCOMPARE(basicClicks.count(), 0);
    QCOMPARE(launchClicks.count(), 0);
    QVERIFY(window->isVisible());
    QVERIFY(!window->IsQuitRequested());

    QVERIFY(!window->close());
    QVERIFY(window->isVisible());
    QVERIFY(window->IsQuitRequested());
  }

  void tabGoesFilterListCommandsAndSelectsTheFirstRow() {
    auto window = MakeWindow({MakeDeviceRecord(1, "First", 0x0A000001u), MakeDeviceRecord(2, "Second", 0x0A000002u)});
    QLineEdit* pFilter = W<QLineEdit>(window, "filter");
    QTreeView* pList = DeviceList(window.get());
    QApplication::setActiveWindow(window.get());
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QCOMPARE(QApplication::focusWidget(), pFilter);
    QVERIFY(!Button(window, "basicConfig")->isEnabled());
    // Tab by Tab from the filter: the list, then the commands under it.
    QList<QWidget*> chain{QApplication::focusWidget()};
    for (int i = 0; i < 3; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      chain << QApplication::focusWidget();
      if (i == 0) {
        QCOMPARE(SelectedNames(pList), QStringList{"Second"});
        QVERIFY(Button(window, "basicConfig")->isEnabled());
        QVERIFY(Button(window, "launch")->isEnabled());
      }
    }
    QCOMPARE(chain, (QList<QWidget*>{pFilter, pList, Button(window, "basicConfig"), Button(window, "launch")}));
    // Ctrl+F goes back to the filter from anywhere in the window.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), pFilter);
    QCOMPARE(Button(window, "export")->text(), QStringLiteral("&Export..."));
  }

  void launchOpensThePageInTheBrowser() {
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "handleUrl");
    m_urls.clear();
    auto window = MakeWindow({MakeDeviceRecord(1, "First", 0x0A000005u), MakeDeviceRecord(2, "Second", 0x0A000006u)});
    QTest::mouseClick(Button(window, "launch"), Qt::LeftButton);  // nothing selected: disabled
    QVERIFY(m_urls.isEmpty());
    ClickRow(DeviceList(window.get()), 1);
    QTest::mouseClick(Button(window, "launch"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QCOMPARE(m_urls, QStringList{QStringLiteral("http://10.0.0.5/config.htm")});
  }

  void basicConfigSendsWhatTheDialogConfirmed() {
    auto window = MakeWindow({MakeDeviceRecord(1, "First", 0x0A000005u)});
    ClickRow(DeviceList(window.get()), 0);
    bool bSawDialog = false;
    QTimer::singleShot(0, this, [&] {
      auto* pDialog = qobject_cast<CConfigKestoDlg*>(QApplication::activeModalWidget());
      if (pDialog == nullptr) return;
      bSawDialog = true;
      pDialog->GetNameEdit()->setText(QStringLiteral("Renamed"));
      pDialog->GetSetButton()->click();
    });
    // Safety net: a dialog left open would keep the test waiting forever.
    QTimer::singleShot(5000, this, [] {
      if (QWidget* pModal = QApplication::activeModalWidget()) pModal->close();
    });
    const size_t nSentBefore = m_pSocket->sent.size();
    QTest::mouseClick(Button(window, "basicConfig"), Qt::LeftButton);
    QVERIFY(bSawDialog);
    QCOMPARE(window->focusWidget(), DeviceList(window.get()));  // the keyboard is back on the list
    // Broadcast, and straight to the address the device answered from: the same bytes.
    QCOMPARE(m_pSocket->sent.size(), nSentBefore + 2);
    QCOMPARE(m_pSocket->sent.back().bytes, m_pSocket->sent[nSentBefore].bytes);
    const auto& bytes = m_pSocket->sent.back().bytes;
    QCOMPARE(bytes.size(), size_t{104});
    QCOMPARE(bytes[0], uint8_t{7});
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(bytes.data()) + 26, 8), QByteArray("Renamed\0", 8));
    QTreeView* pList = DeviceList(window.get());
    QCOMPARE(Cell(pList, 0, 0), QStringLiteral("First"));
    QCOMPARE(W<QLabel>(window, "status")->text(), QStringLiteral("Renamed (00-1A-2B-3C-4D-01): sent"));
    // This computer's own adapters may add a line about reachability above it.
    QVERIFY(ToolTipAt(pList, 0, 2).endsWith(QStringLiteral("Settings sent")));
  }

  void filterBoxHidesRowsAndTheCommandsFollow() {
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "handleUrl");
    m_urls.clear();
    auto window = MakeWindow({MakeDeviceRecord(1, "Boiler", 0x0A000005u), MakeDeviceRecord(2, "Attic", 0x0A000006u)});
    QLineEdit* pFilter = W<QLineEdit>(window, "filter");
    QCOMPARE(pFilter->placeholderText(), QStringLiteral("Filter"));
    QTreeView* pList = DeviceList(window.get());
    ClickRow(pList, 0);  // Attic
    QTest::keyClicks(pFilter, QStringLiteral("BOIL"));
    QCOMPARE(Column(pList, 0), QStringList{"Boiler"});
    QVERIFY(SelectedNames(pList).isEmpty());  // the row the filter took away took its selection along
    QVERIFY(!Button(window, "launch")->isEnabled());
    ClickRow(pList, 0);
    QTest::mouseClick(Button(window, "launch"), Qt::LeftButton);
    QCOMPARE(m_urls, QStringList{QStringLiteral("http://10.0.0.5/config.htm")});
    pFilter->clear();
    QCOMPARE(Column(pList, 0), (QStringList{"Attic", "Boiler"}));
    QCOMPARE(SelectedNames(pList), QStringList{"Boiler"});
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
  }

  void aPageThatDoesNotOpenIsSaidInTheStatusLine() {
    // A handler that cannot be called: nothing opens, as on a computer without a browser.
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "noSuchHandler");
    auto window = MakeWindow({MakeDeviceRecord(1, "Boiler", 0x0A000005u)});
    ClickRow(DeviceList(window.get()), 0);
    QTest::mouseClick(Button(window, "launch"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QVERIFY2(W<QLabel>(window, "status")->text().contains(QStringLiteral("http://10.0.0.5/config.htm")),
             qPrintable(W<QLabel>(window, "status")->text()));
  }

  void exportWritesTheShownRowsAndReportsFailures() {
    auto window = MakeWindow({MakeDeviceRecord(1, "Boiler", 0x0A000005u), MakeDeviceRecord(2, "Attic", 0x0A000006u)});
    QCOMPARE(Button(window, "export")->text(), QStringLiteral("&Export..."));
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QTest::keyClicks(W<QLineEdit>(window, "filter"), QStringLiteral("attic"));
    const QString sCsv = dir.filePath(QStringLiteral("devices.CSV"));
    QVERIFY(window->ExportTo(sCsv));
    QFile csv(sCsv);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = csv.readAll().split('\n');
    QCOMPARE(lines.size(), 3);  // header, Attic, and nothing after the last line end
    QVERIFY(lines[0].startsWith("name,mac,ip,"));
    QVERIFY(lines[1].startsWith("Attic,00-1A-2B-3C-4D-02,10.0.0.6,"));

    const QString sJson = dir.filePath(QStringLiteral("devices.json"));
    QVERIFY(window->ExportTo(sJson));
    QFile json(sJson);
    QVERIFY(json.open(QIODevice::ReadOnly));
    QVERIFY(json.readAll().startsWith("[\n  {\n    \"name\": \"Attic\""));

    QVERIFY(!window->ExportTo(dir.filePath(QStringLiteral("missing/devices.csv"))));
    auto* pError = window->findChild<QMessageBox*>(QStringLiteral("errorMessage"));
    QVERIFY(pError != nullptr && pError->isVisible());
    QVERIFY2(pError->text().contains(QStringLiteral("could not be written")), qPrintable(pError->text()));
    QVERIFY(!window->ExportTo(dir.filePath(QStringLiteral("devices.txt"))));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("devices.txt"))));
    window->findChild<QMessageBox*>(QStringLiteral("errorMessage"))->close();

    // The button opens the file dialog without waiting; a name without a suffix
    // takes the chosen file type's.
    QTest::mouseClick(Button(window, "export"), Qt::LeftButton);
    auto* pDialog = window->findChild<QFileDialog*>(QStringLiteral("exportDialog"));
    QVERIFY(pDialog != nullptr && pDialog->isVisible());
    pDialog->selectNameFilter(QStringLiteral("JSON files (*.json)"));
    auto* pName = pDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(pName != nullptr);
    pName->clear();
    pDialog->setDirectory(dir.path());
    QTest::keyClicks(pName, QStringLiteral("picked"));
    auto* pButtons = pDialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    QVERIFY(pButtons != nullptr);
    QTest::mouseClick(pButtons->button(QDialogButtonBox::Save), Qt::LeftButton);
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("picked.json"))));
  }

  void sharedAddressesGetTheWarningIcon() {
    auto window = MakeWindow({MakeDeviceRecord(1, "Boiler", 0x0A000005u), MakeDeviceRecord(2, "Attic", 0x0A000005u),
                              MakeDeviceRecord(3, "Shed", 0x0A000007u)});
    QTreeView* pList = DeviceList(window.get());
    QCOMPARE(RowCount(pList), 3);
    // Every row keeps room for the icon, so the names line up.
    QVERIFY(IsBlank(RowIcon(pList, 0)));  // Shed
    QVERIFY(!IsBlank(RowIcon(pList, 1)));
    QVERIFY(!IsBlank(RowIcon(pList, 2)));
    QVERIFY2(ToolTipAt(pList, 2, 0).contains(QStringLiteral("also used by 00-1A-2B-3C-4D-02")),
             qPrintable(ToolTipAt(pList, 2, 0)));
  }

  void adapterBoxAndTargetsSteerTheFinder() {
    KestoFinderOptions options;
    options.pTicks = &m_clock;
    options.fnReadInterfaces = [](std::vector<platform::NetInterface>* pTable) {
      *pTable = {MakeInterface("eth0", 0xC0A80105u, 0xFFFFFF00u)};
      return true;
    };
    options.fnRouteSource = nullptr;
    auto socket = std::make_unique<FakeDatagramSocket>();
    CQUORINDlg window(std::make_unique<CKestoFinder>(options, std::move(socket)));
    window.show();
    window.PollDevices();
    QComboBox* pAdapter = Find<QComboBox>(&window, "adapter");
    QVERIFY(pAdapter->isEnabled());
    QCOMPARE(pAdapter->count(), 2);
    QCOMPARE(pAdapter->itemText(0), QStringLiteral("All adapters"));
    QCOMPARE(pAdapter->itemText(1), QStringLiteral("eth0  192.168.1.5/24"));
    QTest::keyClick(pAdapter, Qt::Key_Down);  // activates "eth0"
    QCOMPARE(window.GetFinder().GetDestinations().vecInterfaces, std::vector<std::string>{"eth0"});

    QToolButton* pTargets = Find<QToolButton>(&window, "targets");
    QVERIFY(pTargets->isEnabled());
    // A click opens the menu; its entries are read, then the one named is clicked (none: Esc).
    auto texts = [pTargets](const QString& sPick = QString()) {
      QStringList list;
      QTimer::singleShot(0, pTargets, [&list, sPick] {
        auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (pMenu == nullptr) return;
        QAction* pPicked = nullptr;
        for (QAction* pAction : pMenu->actions())
          if (!pAction->isSeparator()) {
            list << pAction->text();
            if (pAction->text() == sPick) pPicked = pAction;
          }
        if (pPicked != nullptr)
          QTest::mouseClick(pMenu, Qt::LeftButton, {}, pMenu->actionGeometry(pPicked).center());
        else
          QTest::keyClick(pMenu, Qt::Key_Escape);
      });
      QTest::mouseClick(pTargets, Qt::LeftButton);
      return list;
    };
    const QStringList none{"&Add target...", "No targets: broadcasts only", "&Clear targets"};
    QCOMPARE(texts(QStringLiteral("&Add target...")), none);
    auto* pInput = window.findChild<QInputDialog*>(QStringLiteral("targetInput"));
    QVERIFY(pInput != nullptr && pInput->isVisible());
    pInput->setTextValue(QStringLiteral("127.0.0.0/30"));
    pInput->accept();
    QCOMPARE(window.GetFinder().GetDestinations().vecUnicast.size(), size_t{2});
    QVERIFY(window.AddTarget(QStringLiteral("127.0.0.9")));
    QCOMPARE(texts(), (QStringList{"&Add target...", "Remove 127.0.0.0/30", "Remove 127.0.0.9", "&Clear targets"}));

    // A refused text comes back in the input with the reason.
    QVERIFY(!window.AddTarget(QStringLiteral("127.0.0.300")));
    QVERIFY(pInput->isVisible());
    QCOMPARE(pInput->textValue(), QStringLiteral("127.0.0.300"));
    QVERIFY2(pInput->labelText().count(u'\n') >= 1, qPrintable(pInput->labelText()));
    pInput->reject();
    QCOMPARE(window.GetFinder().GetDestinations().vecUnicast.size(), size_t{3});

    texts(QStringLiteral("Remove 127.0.0.0/30"));
    QCOMPARE(window.GetFinder().GetDestinations().vecUnicast.size(), size_t{1});
    QCOMPARE(texts(QStringLiteral("&Clear targets")), (QStringList{"&Add target...", "Remove 127.0.0.9", "&Clear targets"}));
    QVERIFY(window.GetFinder().GetDestinations().vecUnicast.empty());
    QCOMPARE(texts(), none);
  }

  void anExplicitTargetLocksTheAdapterBoxAndTargets() {
    KestoFinderOptions options;
    options.pTicks = &m_clock;
    options.endpTarget = {platform::kLoopback, 14440};
    options.fnReadInterfaces = nullptr;
    CQUORINDlg window(std::make_unique<CKestoFinder>(options, std::make_unique<FakeDatagramSocket>()));
    QVERIFY(!Find<QComboBox>(&window, "adapter")->isEnabled());
    QVERIFY(!Find<QToolButton>(&window, "targets")->isEnabled());
    QCOMPARE(Find<QToolButton>(&window, "targets")->toolTip(), QStringLiteral("Probing one host only (KESTO_TARGET)"));
  }

  void socketFailureIsReportedAndTheWindowRuns() {
    KestoFinderOptions options;
    options.pTicks = &m_clock;
    CQUORINDlg window(std::make_unique<CKestoFinder>(options, nullptr, "Operation not permitted"));
    window.show();
    window.ReportSocketProblem();
    auto* pBox = window.findChild<QMessageBox*>(QStringLiteral("socketMessage"));
    QVERIFY(pBox != nullptr);
    QVERIFY(pBox->isVisible());
    QVERIFY2(pBox->text().contains(QStringLiteral("Operation not permitted")), qPrintable(pBox->text()));
    m_clock.Advance(1500);
    window.PollDevices();
    window.PauseForAnswer(1);
    QCOMPARE(RowCount(DeviceList(&window)), 0);
    QVERIFY(!window.IsQuitRequested());
  }

  void headerClicksSortByValueAndNewestFirstComesBack() {
    KESTO_RECORD a = MakeDeviceRecord(1, "alpha", 0x0A00000Au);    // 10.0.0.10
    KESTO_RECORD b = MakeDeviceRecord(2, "Bravo", 0x0A000009u);    // 10.0.0.9
    KESTO_RECORD c = MakeDeviceRecord(3, "charlie", 0x0A000064u);  // 10.0.0.100
    auto window = MakeWindow({a, b, c});
    QTreeView* pList = DeviceList(window.get());
    QHeaderView* pHeader = pList->header();
    QPushButton* pNewest = Button(window, "newestFirst");
    QCOMPARE(Column(pList, 0), (QStringList{"charlie", "Bravo", "alpha"}));
    QVERIFY(!pNewest->isEnabled());
    ClickRow(pList, 2);  // alpha
    const struct {
      int iSection;  // -1: the "Newest first" button
      QStringList names;
      Qt::SortOrder arrow;  // shown unless newest first
    } steps[] = {
        {2, {"Bravo", "alpha", "charlie"}, Qt::AscendingOrder},  // IP numerically, not as text
        {2, {"charlie", "alpha", "Bravo"}, Qt::DescendingOrder},
        {2, {"charlie", "Bravo", "alpha"}, Qt::AscendingOrder},  // the third click: newest first
        {0, {"alpha", "Bravo", "charlie"}, Qt::AscendingOrder},  // names, case folded
        {-1, {"charlie", "Bravo", "alpha"}, Qt::AscendingOrder},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
      if (steps[i].iSection >= 0)
        ClickHeader(pList, steps[i].iSection);
      else
        QTest::mouseClick(pNewest, Qt::LeftButton);
      QCOMPARE(Column(pList, 0), steps[i].names);
      const bool bNewest = i == 2 || i == 4;
      QCOMPARE(pHeader->isSortIndicatorShown(), !bNewest);
      QCOMPARE(pNewest->isEnabled(), !bNewest);
      if (!bNewest) {
        QCOMPARE(pHeader->sortIndicatorSection(), steps[i].iSection);
        QCOMPARE(pHeader->sortIndicatorOrder(), steps[i].arrow);
      }
      QCOMPARE(SelectedNames(pList), QStringList{"alpha"});  // the selection stays on its device
      QCOMPARE(Cell(pList, pList->currentIndex().row(), 0), QStringLiteral("alpha"));
    }
    // A new device takes its place in the sort, and a changed one moves.
    ClickHeader(pList, 2);
    ClickHeader(pList, 2);
    m_pSocket->Queue(RecordBytes(MakeDeviceRecord(4, "delta", 0x0A00000Bu)));
    window->PollDevices();
    QCOMPARE(Column(pList, 0), (QStringList{"charlie", "delta", "alpha", "Bravo"}));
    m_clock.Advance(1000);
    m_pSocket->Queue(RecordBytes(MakeDeviceRecord(2, "Bravo", 0x0A0000C8u)));  // 10.0.0.200
    window->PollDevices();
    QCOMPARE(Column(pList, 0), (QStringList{"Bravo", "charlie", "delta", "alpha"}));
    QCOMPARE(SelectedNames(pList), QStringList{"alpha"});
  }

  void sortedByLastSeenTheSelectionAndScrollStayOnTheirDevices() {
    std::vector<KESTO_RECORD> devices;
    for (uint8_t i = 1; i <= 60; ++i)
      devices.push_back(MakeDeviceRecord(i, "Device " + std::to_string(100 + i), 0x0A000000u + i));
    auto window = MakeWindow(devices);
    window->SetColumnShown(CDeviceColumnSet::kLastSeen, true);
    QTreeView* pList = DeviceList(window.get());
    ClickHeader(pList, CDeviceColumnSet::kLastSeen);
    ClickRow(pList, 30);
    ClickRow(pList, 31, Qt::ControlModifier);
    ClickRow(pList, 32, Qt::ControlModifier);
    const QStringList selected = SelectedNames(pList);
    QCOMPARE(selected.size(), 3);
    const int iTop = pList->visualRect(pList->currentIndex()).top();
    QSignalSpy removed(pList->model(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(pList->model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(pList->model(), &QAbstractItemModel::dataChanged);
    for (int i = 0; i < 3; ++i) {
      m_clock.Advance(500);
      // Half the devices answer, so the ages part them and the order moves.
      for (uint8_t j = 1; j <= 60; j += 2) m_pSocket->Queue(RecordBytes(devices[j - 1]));
      window->PollDevices();
    }
    QCOMPARE(SelectedNames(pList).size(), 3);
    for (const QString& sName : selected) QVERIFY(SelectedNames(pList).contains(sName));
    QCOMPARE(pList->visualRect(pList->currentIndex()).top(), iTop);
    QCOMPARE(removed.count(), 0);
    QCOMPARE(inserted.count(), 0);
    // The age column's tick is one change for the whole column.
    for (const QList<QVariant>& args : changed) {
      const auto from = args[0].value<QModelIndex>(), to = args[1].value<QModelIndex>();
      if (from.column() == CDeviceColumnSet::kLastSeen && to.column() == CDeviceColumnSet::kLastSeen)
        QCOMPARE(std::make_pair(from.row(), to.row()), std::make_pair(0, 59));
    }
  }

  void sizeColumnsAndOrderAreRemembered() {
    {
      auto window = MakeWindow({});
      window->resize(900, 500);
      DeviceList(window.get())->setColumnWidth(0, 222);
      window->SetColumnShown(CDeviceColumnSet::kNetMask, true);
      ClickHeader(DeviceList(window.get()), CDeviceColumnSet::kIP);
      ClickHeader(DeviceList(window.get()), CDeviceColumnSet::kIP);
    }  // saved as the window goes
    auto window = MakeWindow({});
    QTreeView* pList = DeviceList(window.get());
    QCOMPARE(window->size(), QSize(900, 500));
    QCOMPARE(pList->columnWidth(0), 222);
    QVERIFY(!pList->isColumnHidden(CDeviceColumnSet::kNetMask));
    QVERIFY(pList->isColumnHidden(CDeviceColumnSet::kGateway));
    QCOMPARE(window->GetSortOrder().ToText(), std::string("2 desc"));
    QCOMPARE(pList->header()->sortIndicatorSection(), int{CDeviceColumnSet::kIP});
  }

  void extraColumnsFromTheHeaderMenu() {
    KESTO_RECORD record = MakeDeviceRecord(1, "Boiler", 0x0A000005u);
    record.wBaudRate = 49664;
    auto window = MakeWindow({record});
    std::unique_ptr<QMenu> menu(window->CreateHeaderMenu());
    QStringList titles;
    for (QAction* pAction : menu->actions())
      if (pAction->isCheckable()) titles << pAction->text();
    QCOMPARE(titles, (QStringList{"Net Mask", "Gateway", "DNS", "Type", "Protocol", "Baud Rate", "Last Seen"}));
    QTreeView* pList = DeviceList(window.get());
    for (QAction* pAction : menu->actions())
      if (pAction->isCheckable()) {
        pAction->setChecked(true);
        // The new column stands in view, not beyond a stretched one.
        const int iColumn = CDeviceColumnSet::kDefaultCount + static_cast<int>(titles.indexOf(pAction->text()));
        const QRect cell = pList->visualRect(pList->model()->index(0, iColumn));
        QVERIFY2(pList->viewport()->rect().intersects(cell), qPrintable(pAction->text()));
      }
    QCOMPARE(Cell(pList, 0, CDeviceColumnSet::kNetMask), QStringLiteral("255.255.255.0"));
    QCOMPARE(Cell(pList, 0, CDeviceColumnSet::kType), QStringLiteral("Passthrough"));
    QCOMPARE(Cell(pList, 0, CDeviceColumnSet::kBaud), QStringLiteral("115200"));
    QCOMPARE(Cell(pList, 0, CDeviceColumnSet::kLastSeen), QStringLiteral("0.0 s"));
    m_clock.Advance(1200);
    window->PollDevices();
    QCOMPARE(Cell(pList, 0, CDeviceColumnSet::kLastSeen), QStringLiteral("1.2 s"));
  }

  void countSearchingAndEmptyMessages() {
    auto window = MakeWindow({});
    QLabel* pCount = W<QLabel>(window, "count");
    QLabel* pEmpty = W<QLabel>(window, "emptyText");
    QLineEdit* pFilter = W<QLineEdit>(window, "filter");
    QCOMPARE(pCount->text(), QStringLiteral("Searching..."));
    QVERIFY(pEmpty->text().contains(QStringLiteral("No device has answered yet")));
    m_pSocket->Queue(RecordBytes(MakeDeviceRecord(1, "Boiler", 0x0A000005u)));
    m_pSocket->Queue(RecordBytes(MakeDeviceRecord(2, "Attic", 0x0A000006u)));
    window->PollDevices();
    window->PollDevices();
    QCOMPARE(pCount->text(), QStringLiteral("2 devices"));
    QVERIFY(pEmpty->isHidden());
    QTest::keyClicks(pFilter, QStringLiteral("att"));
    QCOMPARE(pCount->text(), QStringLiteral("1 of 2 shown"));
    pFilter->clear();
    QTest::keyClicks(pFilter, QStringLiteral("nothing"));
    QCOMPARE(pCount->text(), QStringLiteral("0 of 2 shown"));
    QVERIFY(pEmpty->text().startsWith(QStringLiteral("No device matches the filter")));
    QVERIFY(!pEmpty->isHidden());
    pFilter->clear();
    m_clock.Advance(2001);
    window->PollDevices();
    QCOMPARE(pCount->text(), QStringLiteral("0 devices"));
    QVERIFY(pEmpty->text().startsWith(QStringLiteral("No device answers at the moment")));
  }

  void noBroadcastAdapterIsSaidInTheEmptyList() {
    KestoFinderOptions options;
    options.pTicks = &m_clock;
    options.fnReadInterfaces = [](std::vector<platform::NetInterface>* pTable) {
      *pTable = {MakeInterface("lo", 0x7F000001u, 0xFF000000u, true, false, true)};
      return true;
    };
    options.fnRouteSource = nullptr;
    CQUORINDlg window(std::make_unique<CKestoFinder>(options, std::make_unique<FakeDatagramSocket>()));
    window.PollDevices();
    QLabel* pEmpty = Find<QLabel>(&window, "emptyText");
    QVERIFY2(pEmpty->text().startsWith(QStringLiteral("No network adapter")), qPrintable(pEmpty->text()));
  }

  void commandsNeedASelectionAndDoubleClickOrEnterOpensTheDialog() {
    auto window = MakeWindow({MakeDeviceRecord(1, "First", 0x0A000005u)});
    QVERIFY(!Button(window, "basicConfig")->isEnabled());
    QVERIFY(!Button(window, "launch")->isEnabled());
    // A greyed command's tooltip says why.
    QCOMPARE(Button(window, "launch")->toolTip(), QStringLiteral("Select a device in the list first"));
    QTreeView* pList = DeviceList(window.get());
    ClickRow(pList, 0);
    QVERIFY(Button(window, "basicConfig")->isEnabled());
    QVERIFY(Button(window, "launch")->isEnabled());
    QCOMPARE(Button(window, "basicConfig")->toolTip(), QStringLiteral("Changes the selected device's settings"));
    int nDialogs = 0;
    auto cancelNextDialog = [&] {
      QTimer::singleShot(0, this, [&] {
        if (auto* pDialog = qobject_cast<CConfigKestoDlg*>(QApplication::activeModalWidget())) {
          ++nDialogs;
          pDialog->GetCancelButton()->click();
        }
      });
    };
    cancelNextDialog();
    DoubleClickRow(pList, 0);
    QCOMPARE(nDialogs, 1);
    cancelNextDialog();
    QTest::keyClick(pList, Qt::Key_Return);
    QCOMPARE(nDialogs, 2);
    QTest::keyClicks(W<QLineEdit>(window, "filter"), QStringLiteral("zzz"));  // hides and deselects the row
    QVERIFY(!Button(window, "basicConfig")->isEnabled());
  }

  void severalSelectedRowsOpenTheFormWithItsPlan() {
    auto window = MakeWindow({MakeDeviceRecord(1, "First", 0x0A000005u), MakeDeviceRecord(2, "Second", 0x0A000006u),
                              MakeDeviceRecord(3, "Third", 0x0A000007u)});
    QTreeView* pList = DeviceList(window.get());
    QCOMPARE(pList->selectionMode(), QAbstractItemView::ExtendedSelection);
    // Third and First, the top and bottom rows, by Ctrl+click.
    ClickRow(pList, 0);
    ClickRow(pList, 2, Qt::ControlModifier);
    QCOMPARE(SelectedNames(pList), (QStringList{"Third", "First"}));
    QVERIFY(Button(window, "basicConfig")->isEnabled());
    QVERIFY(!Button(window, "launch")->isEnabled());  // a web page is one device's
    QString sTitle, sPlan, sApply;
    QTimer::singleShot(0, this, [&] {
      auto* pDialog = qobject_cast<CMultiConfigDlg*>(QApplication::activeModalWidget());
      if (pDialog == nullptr) return;
      sTitle = pDialog->windowTitle();
      QVERIFY(!pDialog->GetApplyButton()->isEnabled());  // every field blank: nothing to send
      pDialog->GetFirstIPEdit()->setText(QStringLiteral("10.0.0.20"));
      CPlanPreviewList* pPreview = pDialog->GetPreviewList();
      for (int i = 0; i < pPreview->topLevelItemCount(); ++i)
        sPlan += pPreview->topLevelItem(i)->text(0) + u':' + pPreview->topLevelItem(i)->text(2) + u';';
      sApply = pDialog->GetApplyButton()->text();
      pDialog->reject();
    });
    QTimer::singleShot(5000, this, [] {
      if (QWidget* pModal = QApplication::activeModalWidget()) pModal->close();
    });
    const size_t nSentBefore = m_pSocket->sent.size();
    QTest::mouseClick(Button(window, "basicConfig"), Qt::LeftButton);
    QCOMPARE(sTitle, QStringLiteral("Kesto Configuration: 2 devices"));
    // In the list's order, top row first.
    QCOMPARE(sPlan, QStringLiteral("Third:IP 10.0.0.7 -> 10.0.0.20;First:IP 10.0.0.5 -> 10.0.0.21;"));
    QCOMPARE(sApply, QStringLiteral("&Apply to 2 devices"));
    QCOMPARE(m_pSocket->sent.size(), nSentBefore);  // cancelled: nothing sent
  }

  void applyPlanPreviewsThenSendsAndBackUpWritesEveryDevice() {
    auto window = MakeWindow({MakeDeviceRecord(1, "First", 0x0A000005u), MakeDeviceRecord(2, "Second", 0x0A000006u)});
    QTemporaryDir dir;
    const QString sPlan = WriteFileIn(dir, "plan.json", R"([{"mac":"00-1A-2B-3C-4D-02","name":"Renamed"},{"mac":"00-1A-2B-3C-4D-01","name":"First"}])");
    const size_t nSentBefore = m_pSocket->sent.size();
    QVERIFY(window->GetPlanCommands().OpenPlan(sPlan));
    CPlanPreviewDlg* pPreview = window->GetPlanCommands().GetPreviewDialog();
    QVERIFY(pPreview != nullptr);
    QCOMPARE(pPreview->GetPreviewList()->topLevelItem(0)->text(2), QStringLiteral("Name \"Second\" -> \"Renamed\""));
    QCOMPARE(pPreview->GetPreviewList()->topLevelItem(1)->text(2), QStringLiteral("unchanged"));
    QCOMPARE(m_pSocket->sent.size(), nSentBefore);  // only previewed so far
    pPreview->GetApplyButton()->click();
    // Second's datagram by broadcast and straight to it; First holds its settings already.
    int nSets = 0;
    for (size_t i = nSentBefore; i < m_pSocket->sent.size(); ++i)
      nSets += m_pSocket->sent[i].bytes.size() == 104 && m_pSocket->sent[i].bytes[4 + kesto_wire::kOffMAC + 5] == 0x02 ? 1 : 0;
    QCOMPARE(nSets, 2);
    QCOMPARE(W<QLabel>(window, "status")->text(), QStringLiteral("Sending plan: 0 of 1 devices done"));

    const QString sBackup = dir.filePath(QStringLiteral("backup.json"));
    QVERIFY(window->GetPlanCommands().BackupTo(sBackup));
    QFile backup(sBackup);
    QVERIFY(backup.open(QIODevice::ReadOnly));
    const QByteArray bytes = backup.readAll();
    QVERIFY(bytes.contains("\"kesto-backup\"") && bytes.contains("00-1A-2B-3C-4D-01") && bytes.contains("00-1A-2B-3C-4D-02"));
    QCOMPARE(W<QLabel>(window, "status")->text(), QStringLiteral("Backed up 2 devices to backup.json"));
  }

  void aPlanTheAddressRuleRefusesIsSentOnlyOnADeliberateClick() {
    auto window = MakeWindow({MakeDeviceRecord(1, "First", 0x0A000005u)});
    QTemporaryDir dir;
    const QString sPlan = WriteFileIn(dir, "plan.json", R"([{"mac":"00-1A-2B-3C-4D-01","gateway":"10.9.0.1"}])");  // outside the device's subnet
    const size_t nSentBefore = m_pSocket->sent.size();
    for (bool bClick : {false, true}) {
      QVERIFY(window->GetPlanCommands().OpenPlan(sPlan));
      CPlanPreviewDlg* pPreview = window->GetPlanCommands().GetPreviewDialog();
      QVERIFY(QTest::qWaitForWindowExposed(pPreview));
      QPushButton* pApply = pPreview->GetApplyButton();
      QCOMPARE(pApply->text(), QStringLiteral("&Send anyway to 1 device"));
      QVERIFY(!pApply->isDefault());
      bool bWarned = false;
      for (const QLabel* pLabel : pPreview->findChildren<QLabel*>())
        bWarned = bWarned || pLabel->text().contains(QStringLiteral("\nWarning: 00-1A-2B-3C-4D-01: "));
      QVERIFY(bWarned);
      if (bClick)
        QTest::mouseClick(pApply, Qt::LeftButton);
      else
        QTest::keyClick(pPreview, Qt::Key_Return);  // Enter takes the default button: Cancel
      QVERIFY(!pPreview->isVisible());
      QCOMPARE(m_pSocket->sent.size() > nSentBefore, bClick);
    }
  }

  // A plan is read as the command line reads it: a directory, a missing file and one
  // over the bound are refused with their reason, and nothing is sent.
  void applyPlanRefusesWhatIsNoPlanFileWithItsReason() {
    auto window = MakeWindow({MakeDeviceRecord(1, "First", 0x0A000005u)});
    QTemporaryDir dir;
    const QString sHuge = WriteFileIn(dir, "huge.csv", "mac\n", static_cast<qint64>(kMaxPlanBytes) + 1);
    const struct {
      QString sPath;
      const char* pszMentions;
    } kCases[] = {{dir.path(), "directory"},
                  {dir.filePath(QStringLiteral("missing.csv")), "No such file"},
                  {sHuge, "larger than 16777216 bytes"}};
    const size_t nSentBefore = m_pSocket->sent.size();
    for (const auto& c : kCases) {
      QVERIFY(!window->GetPlanCommands().OpenPlan(c.sPath));
      QMessageBox* pBox = nullptr;  // the one showing; the one before may await its deletion
      for (QMessageBox* pShown : window->findChildren<QMessageBox*>(QStringLiteral("errorMessage")))
        if (pShown->isVisible()) pBox = pShown;
      QVERIFY(pBox != nullptr);
      QVERIFY2(pBox->text().contains(QLatin1String(c.pszMentions)), qPrintable(pBox->text()));
      QTest::keyClick(pBox, Qt::Key_Return);
    }
    QCOMPARE(window->GetPlanCommands().GetPreviewDialog(), nullptr);
    for (size_t i = nSentBefore; i < m_pSocket->sent.size(); ++i) QVERIFY(m_pSocket->sent[i].bytes.size() != 104);
  }

  void rowMenuAndCtrlCCopyTheDevice() {
    auto window = MakeWindow({MakeDeviceRecord(1, "Boiler", 0x0A000005u)});
    ClickRow(DeviceList(window.get()), 0);
    std::unique_ptr<QMenu> menu(window->CreateRowMenu());
    QHash<QString, QAction*> actions;
    for (QAction* pAction : menu->actions()) actions.insert(pAction->text(), pAction);
    for (const char* pszText : {"&Basic Config...", "&Open web page", "Copy &MAC address", "Copy &IP address",
                                "&Copy row as CSV"})
      QVERIFY2(actions.contains(QString::fromLatin1(pszText)), pszText);
    actions.value(QStringLiteral("Copy &MAC address"))->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("00-1A-2B-3C-4D-01"));
    actions.value(QStringLiteral("Copy &IP address"))->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("10.0.0.5"));
    actions.value(QStringLiteral("&Copy row as CSV"))->trigger();
    const QString sCsv = QApplication::clipboard()->text();
    QVERIFY2(sCsv.startsWith(QStringLiteral("name,mac,ip,")), qPrintable(sCsv));
    QVERIFY(sCsv.contains(QStringLiteral("\r\nBoiler,00-1A-2B-3C-4D-01,10.0.0.5,")));
    QApplication::clipboard()->clear();
    QTest::keySequence(DeviceList(window.get()), QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), sCsv);

    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "handleUrl");
    m_urls.clear();
    actions.value(QStringLiteral("&Open web page"))->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QCOMPARE(m_urls, QStringList{QStringLiteral("http://10.0.0.5/config.htm")});
  }

  void statusLineKeepsExportsAndOutcomesAndClears() {
    auto window = MakeWindow({MakeDeviceRecord(1, "Boiler", 0x0A000005u)});
    QTemporaryDir dir;
    QVERIFY(window->ExportTo(dir.filePath(QStringLiteral("list.csv"))));
    QLabel* pStatus = W<QLabel>(window, "status");
    QTreeView* pList = DeviceList(window.get());
    QCOMPARE(pStatus->text(), QStringLiteral("Exported 1 device to list.csv"));
    ClickRow(pList, 0);
    QTimer::singleShot(0, this, [] {
      if (auto* pDialog = qobject_cast<CConfigKestoDlg*>(QApplication::activeModalWidget())) {
        pDialog->GetNameEdit()->setText(QStringLiteral("Cellar"));
        pDialog->GetSetButton()->click();
      }
    });
    window->GetPresenter().OnBasicConfig();
    QCOMPARE(pStatus->text(), QStringLiteral("Cellar (00-1A-2B-3C-4D-01): sent"));
    QVERIFY(pStatus->toolTip().contains(QStringLiteral("Exported 1 device")));
    // No answer carries the settings: the row says so with a mark of its own.
    for (int i = 0; i < 2; ++i) {
      m_clock.Advance(1501);
      m_pSocket->Queue(RecordBytes(MakeDeviceRecord(1, "Boiler", 0x0A000005u)));  // the old values
      window->PollDevices();
    }
    QCOMPARE(pStatus->text(), QStringLiteral("Cellar (00-1A-2B-3C-4D-01): not confirmed"));
    QVERIFY(!IsBlank(RowIcon(pList, 0)));
    QVERIFY(ToolTipAt(pList, 0, 0).contains(QStringLiteral("Settings not confirmed")));
    std::unique_ptr<QMenu> menu(window->CreateStatusMenu());
    menu->actions()[0]->trigger();
    QCOMPARE(pStatus->text(), QString());
    QVERIFY(IsBlank(RowIcon(pList, 0)));
  }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
