// The main window's widgets: columns, buttons, keys, and the two commands.
#include <QComboBox>
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
#include <QTreeWidget>
#include <memory>

#include "app/qt/ConfigKestoDlg.h"
#include "app/qt/DialogUnits.h"
#include "app/qt/MultiConfigDlg.h"
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
#include "version/KestoVersion.h"

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
    return window;
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
    QTreeWidget* pList = window->GetList();
    const char* titles[] = {"Name", "MAC Address", "IP Address", "Port", "Version"};
    const int widths[] = {110, 150, 100, 40, 150};
    const QFontMetrics metrics(pList->font());
    // The widths start from the old ones but never cut the column's own widest value.
    const int needed[] = {0, metrics.horizontalAdvance(QStringLiteral("DD-DD-DD-DD-DD-DD")),
                          metrics.horizontalAdvance(QStringLiteral("255.255.255.255")),
                          metrics.horizontalAdvance(QStringLiteral("10000")), 0};
    for (int i = 0; i < 5; ++i) {
      QCOMPARE(pList->headerItem()->text(i), QString::fromLatin1(titles[i]));
      QVERIFY(!pList->isColumnHidden(i));
      // The name also holds the mark icon; the last column takes whatever room is left.
      const int iOld = widths[i] + (i == 0 ? pList->iconSize().width() + 4 : 0);
      QVERIFY2(pList->header()->sectionSize(i) >= std::max(iOld, needed[i] + 4), titles[i]);
      if (i < 4) QVERIFY2(pList->header()->sectionSize(i) <= std::max(iOld, needed[i] + 40), titles[i]);
    }
    for (int i = 5; i < pList->columnCount(); ++i) QVERIFY(pList->isColumnHidden(i));
    QCOMPARE(pList->selectionMode(), QAbstractItemView::ExtendedSelection);
  }

  void aCutCellShowsItsTextInTheTooltip() {
    KESTO_RECORD record = MakeDeviceRecord(1, std::string(27, 'W'), 0x0A000001u);
    std::memset(record.szVersion, 'V', sizeof record.szVersion);
    auto window = MakeWindow({record, MakeDeviceRecord(2, "Shed", 0x0A000001u)});
    QTreeWidget* pList = window->GetList();
    QTreeWidgetItem* pLong = pList->topLevelItem(1);
    QCOMPARE(window->CellToolTip(pLong, 0).section(u'\n', 0, 0), QString(27, u'W'));
    QCOMPARE(window->CellToolTip(pLong, 4).section(u'\n', 0, 0), QString(36, u'V'));
    QVERIFY(window->CellToolTip(pLong, 4).contains(QStringLiteral("also used by")));  // the marks follow
    QVERIFY(!window->CellToolTip(pLong, 3).contains(QStringLiteral("10001")));        // the port fits
    QVERIFY(!window->CellToolTip(pList->topLevelItem(0), 0).startsWith(QStringLiteral("Shed")));
    pList->setColumnWidth(4, 2000);
    QVERIFY(!window->CellToolTip(pLong, 4).startsWith(QStringLiteral("VVV")));
  }

  void captionButtonsAndSize() {
    auto window = MakeWindow({});
    QCOMPARE(window->windowTitle(), QStringLiteral("Tamrel Kesto Manager"));
    QCOMPARE(window->GetBasicConfigButton()->text(), QStringLiteral("&Basic Config..."));
    QCOMPARE(window->GetLaunchButton()->text(), QStringLiteral("&Lauch Configurator..."));
    QVERIFY(!window->windowIcon().isNull());
    const CDialogUnits du;
    // The old fixed size is where it starts, not a limit.
    QCOMPARE(window->size(), du.Size(387, 145));
    QVERIFY(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    QVERIFY(window->maximumWidth() > 4000 && window->maximumHeight() > 4000);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const QSize listBefore = window->GetList()->size();
    window->resize(window->width() + 300, window->height() + 200);
    QApplication::processEvents();
    QCOMPARE(window->GetList()->size(), listBefore + QSize(300, 200));  // the list takes the room
    QVERIFY(window->GetAboutButton()->isVisible());
  }

  void aboutBoxGivesTheVersion() {
    auto window = MakeWindow({});
    window->show();
    QTest::mouseClick(window->GetAboutButton(), Qt::LeftButton);
    QMessageBox* pBox = window->GetAboutBox();
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
    QTreeWidget* pList = window->GetList();
    QCOMPARE(pList->topLevelItemCount(), 2);
    QCOMPARE(pList->topLevelItem(0)->text(0), QStringLiteral("Second"));
    QCOMPARE(pList->topLevelItem(1)->text(1), QStringLiteral("00-1A-2B-3C-4D-01"));
    QCOMPARE(pList->topLevelItem(1)->text(2), QStringLiteral("10.0.0.1"));
    QCOMPARE(pList->topLevelItem(1)->text(3), QStringLiteral("10001"));
    QCOMPARE(pList->topLevelItem(1)->text(4), QStringLiteral("FW 2.17"));
    m_clock.Advance(2001);
    window->PollDevices();
    QCOMPARE(pList->topLevelItemCount(), 0);
  }

  void escapeEnterAndCloseOnlyRaiseTheFlag() {
    auto window = MakeWindow({MakeDeviceRecord(1, "First", 0x0A000001u)});
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QSignalSpy basicClicks(window->GetBasicConfigButton(), &QPushButton::clicked);
    QSignalSpy launchClicks(window->GetLaunchButton(), &QPushButton::clicked);
    window->GetList()->topLevelItem(0)->setSelected(true);
    for (QWidget* pTarget : {static_cast<QWidget*>(window.get()), static_cast<QWidget*>(window->GetBasicConfigButton()),
                             static_cast<QWidget*>(window->GetLaunchButton())}) {
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
    QList<QWidget*> chain;
    QWidget* pWidget = window->GetFilterEdit();
    for (int i = 0; i < 200 && chain.size() < 4; ++i, pWidget = pWidget->nextInFocusChain())
      if (pWidget->focusPolicy() & Qt::TabFocus) chain << pWidget;
    QCOMPARE(chain, (QList<QWidget*>{window->GetFilterEdit(), window->GetList(), window->GetBasicConfigButton(),
                                     window->GetLaunchButton()}));
    window->show();
    QApplication::setActiveWindow(window.get());
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QCOMPARE(QApplication::focusWidget(), window->GetFilterEdit());
    QVERIFY(!window->GetBasicConfigButton()->isEnabled());
    QTest::keyClick(window->GetFilterEdit(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window->GetList());
    QCOMPARE(window->GetList()->selectedItems().size(), 1);
    QCOMPARE(window->GetList()->selectedItems()[0]->text(0), QStringLiteral("Second"));
    QVERIFY(window->GetBasicConfigButton()->isEnabled());
    QVERIFY(window->GetLaunchButton()->isEnabled());
  }

  void launchOpensThePageInTheBrowser() {
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "handleUrl");
    m_urls.clear();
    auto window = MakeWindow({MakeDeviceRecord(1, "First", 0x0A000005u), MakeDeviceRecord(2, "Second", 0x0A000006u)});
    window->GetLaunchButton()->click();  // nothing selected
    QVERIFY(m_urls.isEmpty());
    window->GetList()->topLevelItem(1)->setSelected(true);
    window->GetLaunchButton()->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QCOMPARE(m_urls, QStringList{QStringLiteral("http://10.0.0.5/config.htm")});
  }

  void basicConfigSendsWhatTheDialogConfirmed() {
    auto window = MakeWindow({MakeDeviceRecord(1, "First", 0x0A000005u)});
    window->show();
    window->GetList()->topLevelItem(0)->setSelected(true);
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
    window->GetBasicConfigButton()->click();
    QVERIFY(bSawDialog);
    // Broadcast, and straight to the address the device answered from: the same bytes.
    QCOMPARE(m_pSocket->sent.size(), nSentBefore + 2);
    QCOMPARE(m_pSocket->sent.back().bytes, m_pSocket->sent[nSentBefore].bytes);
    const auto& bytes = m_pSocket->sent.back().bytes;
    QCOMPARE(bytes.size(), size_t{104});
    QCOMPARE(bytes[0], uint8_t{7});
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(bytes.data()) + 26, 8), QByteArray("Renamed\0", 8));
    QCOMPARE(window->GetList()->topLevelItem(0)->text(0), QStringLiteral("First"));
    QCOMPARE(window->GetStatusLabel()->text(), QStringLiteral("Renamed (00-1A-2B-3C-4D-01): sent"));
    // This computer's own adapters may add a line about reachability above it.
    QVERIFY(window->CellToolTip(window->GetList()->topLevelItem(0), 2).endsWith(QStringLiteral("Settings sent")));
  }

  void filterBoxHidesRowsAndTheCommandsFollow() {
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "handleUrl");
    m_urls.clear();
    auto window = MakeWindow({MakeDeviceRecord(1, "Boiler", 0x0A000005u), MakeDeviceRecord(2, "Attic", 0x0A000006u)});
    QLineEdit* pFilter = window->GetFilterEdit();
    QCOMPARE(pFilter->placeholderText(), QStringLiteral("Filter"));
    QTreeWidget* pList = window->GetList();
    pList->topLevelItem(0)->setSelected(true);  // Attic
    QTest::keyClicks(pFilter, QStringLiteral("BOIL"));
    QCOMPARE(pList->topLevelItemCount(), 2);
    QVERIFY(pList->topLevelItem(0)->isHidden());
    QVERIFY(!pList->topLevelItem(1)->isHidden());
    QVERIFY(pList->selectedItems().isEmpty());  // the hidden row lost its selection
    window->GetLaunchButton()->click();
    QVERIFY(m_urls.isEmpty());
    pList->topLevelItem(1)->setSelected(true);
    window->GetLaunchButton()->click();
    QCOMPARE(m_urls, QStringList{QStringLiteral("http://10.0.0.5/config.htm")});
    pFilter->clear();
    QVERIFY(!pList->topLevelItem(0)->isHidden());
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
  }

  void exportWritesTheShownRowsAndReportsFailures() {
    auto window = MakeWindow({MakeDeviceRecord(1, "Boiler", 0x0A000005u), MakeDeviceRecord(2, "Attic", 0x0A000006u)});
    window->show();
    QVERIFY(window->GetExportButton() != nullptr);
    QCOMPARE(window->GetExportButton()->text(), QStringLiteral("E&xport..."));
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    window->GetFilterEdit()->setText(QStringLiteral("attic"));
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

    QVERIFY(window->GetLastErrorMessage() == nullptr);
    QVERIFY(!window->ExportTo(dir.filePath(QStringLiteral("missing/devices.csv"))));
    QVERIFY(window->GetLastErrorMessage() != nullptr);
    QVERIFY(window->GetLastErrorMessage()->isVisible());
    QVERIFY2(window->GetLastErrorMessage()->text().contains(QStringLiteral("could not be written")),
             qPrintable(window->GetLastErrorMessage()->text()));
    QVERIFY(!window->ExportTo(dir.filePath(QStringLiteral("devices.txt"))));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("devices.txt"))));

    // The button opens the file dialog without waiting; a name without a suffix
    // takes the chosen file type's.
    window->GetExportButton()->click();
    QFileDialog* pDialog = window->GetExportDialog();
    QVERIFY(pDialog != nullptr && pDialog->isVisible());
    pDialog->selectNameFilter(QStringLiteral("JSON files (*.json)"));
    emit pDialog->fileSelected(dir.filePath(QStringLiteral("picked")));
    pDialog->close();
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("picked.json"))));
  }

  void sharedAddressesGetTheWarningIcon() {
    auto window = MakeWindow({MakeDeviceRecord(1, "Boiler", 0x0A000005u), MakeDeviceRecord(2, "Attic", 0x0A000005u),
                              MakeDeviceRecord(3, "Shed", 0x0A000007u)});
    QTreeWidget* pList = window->GetList();
    QCOMPARE(pList->topLevelItemCount(), 3);
    // Every row keeps room for the icon, so the names line up.
    QVERIFY(IsBlank(pList->topLevelItem(0)->icon(0)));  // Shed
    QVERIFY(!IsBlank(pList->topLevelItem(1)->icon(0)));
    QVERIFY(!IsBlank(pList->topLevelItem(2)->icon(0)));
    QVERIFY2(window->CellToolTip(pList->topLevelItem(2), 0).contains(QStringLiteral("also used by 00-1A-2B-3C-4D-02")),
             qPrintable(window->CellToolTip(pList->topLevelItem(2), 0)));
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
    QComboBox* pAdapter = window.GetAdapterBox();
    QVERIFY(pAdapter->isEnabled());
    QCOMPARE(pAdapter->count(), 2);
    QCOMPARE(pAdapter->itemText(0), QStringLiteral("All adapters"));
    QCOMPARE(pAdapter->itemText(1), QStringLiteral("eth0  192.168.1.5/24"));
    QTest::keyClick(pAdapter, Qt::Key_Down);  // activates "eth0"
    QCOMPARE(window.GetFinder().GetDestinations().vecInterfaces, std::vector<std::string>{"eth0"});

    QToolButton* pTargets = window.GetTargetsButton();
    QVERIFY(pTargets->isEnabled());
    QMenu* pMenu = pTargets->menu();
    auto texts = [pMenu] {
      emit pMenu->aboutToShow();
      QStringList list;
      for (QAction* pAction : pMenu->actions())
        if (!pAction->isSeparator()) list << pAction->text();
      return list;
    };
    QCOMPARE(texts(), (QStringList{"&Add target...", "No targets: broadcasts only", "&Clear targets"}));
    pMenu->actions()[0]->trigger();
    QInputDialog* pInput = window.GetTargetInput();
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
    QVERIFY2(pInput->labelText().count(u'\n') >= 2, qPrintable(pInput->labelText()));
    pInput->reject();
    QCOMPARE(window.GetFinder().GetDestinations().vecUnicast.size(), size_t{3});

    texts();
    pMenu->actions()[2]->trigger();  // "Remove 127.0.0.0/30"
    QCOMPARE(window.GetTargets(), QStringList{"127.0.0.9"});
    QCOMPARE(window.GetFinder().GetDestinations().vecUnicast.size(), size_t{1});
    texts();
    pMenu->actions().back()->trigger();  // "Clear targets"
    QVERIFY(window.GetFinder().GetDestinations().vecUnicast.empty());
    QVERIFY(window.GetTargets().isEmpty());
  }

  void anExplicitTargetLocksTheAdapterBoxAndTargets() {
    KestoFinderOptions options;
    options.pTicks = &m_clock;
    options.endpTarget = {platform::kLoopback, 14440};
    options.fnReadInterfaces = nullptr;
    CQUORINDlg window(std::make_unique<CKestoFinder>(options, std::make_unique<FakeDatagramSocket>()));
    QVERIFY(!window.GetAdapterBox()->isEnabled());
    QVERIFY(!window.GetTargetsButton()->isEnabled());
  }

  void socketFailureIsReportedAndTheWindowRuns() {
    KestoFinderOptions options;
    options.pTicks = &m_clock;
    CQUORINDlg window(std::make_unique<CKestoFinder>(options, nullptr, "Operation not permitted"));
    window.show();
    window.ReportSocketProblem();
    QMessageBox* pBox = window.GetSocketMessage();
    QVERIFY(pBox != nullptr);
    QVERIFY(pBox->isVisible());
    QVERIFY2(pBox->text().contains(QStringLiteral("Operation not permitted")), qPrintable(pBox->text()));
    m_clock.Advance(1500);
    window.PollDevices();
    window.PauseForAnswer(1);
    QCOMPARE(window.GetList()->topLevelItemCount(), 0);
    QVERIFY(!window.IsQuitRequested());
  }

  void headerClicksSortByValueAndNewestFirstComesBack() {
    KESTO_RECORD a = MakeDeviceRecord(1, "alpha", 0x0A00000Au);  // 10.0.0.10
    KESTO_RECORD b = MakeDeviceRecord(2, "Bravo", 0x0A000009u);  // 10.0.0.9
    KESTO_RECORD c = MakeDeviceRecord(3, "charlie", 0x0A000064u);  // 10.0.0.100
    auto window = MakeWindow({a, b, c});
    QTreeWidget* pList = window->GetList();
    auto names = [pList] {
      QStringList list;
      for (int i = 0; i < pList->topLevelItemCount(); ++i) list << pList->topLevelItem(i)->text(0);
      return list;
    };
    QCOMPARE(names(), (QStringList{"charlie", "Bravo", "alpha"}));
    QVERIFY(!window->GetNewestFirstButton()->isEnabled());
    pList->topLevelItem(2)->setSelected(true);  // alpha
    emit pList->header()->sectionClicked(2);     // IP ascending: numerically, not as text
    QCOMPARE(names(), (QStringList{"Bravo", "alpha", "charlie"}));
    QCOMPARE(pList->selectedItems()[0]->text(0), QStringLiteral("alpha"));  // the selection stays
    QVERIFY(pList->header()->isSortIndicatorShown());
    emit pList->header()->sectionClicked(2);
    QCOMPARE(names(), (QStringList{"charlie", "alpha", "Bravo"}));
    // A new device takes its place in the sort, and a changed one moves.
    m_pSocket->Queue(RecordBytes(MakeDeviceRecord(4, "delta", 0x0A00000Bu)));
    window->PollDevices();
    QCOMPARE(names(), (QStringList{"charlie", "delta", "alpha", "Bravo"}));
    emit pList->header()->sectionClicked(0);  // names, case folded
    QCOMPARE(names(), (QStringList{"alpha", "Bravo", "charlie", "delta"}));
    QVERIFY(window->GetNewestFirstButton()->isEnabled());
    window->GetNewestFirstButton()->click();  // one click back to the default
    QCOMPARE(names(), (QStringList{"delta", "charlie", "Bravo", "alpha"}));
    QVERIFY(!pList->header()->isSortIndicatorShown());
  }

  void sizeColumnsAndOrderAreRemembered() {
    {
      auto window = MakeWindow({});
      window->resize(900, 500);
      window->GetList()->setColumnWidth(0, 222);
      window->SetColumnShown(CDeviceColumnSet::kNetMask, true);
      CDeviceSortOrder order;
      order.Set(CDeviceColumnSet::kIP, false);
      window->SetSortOrder(order);
    }  // saved as the window goes
    auto window = MakeWindow({});
    QCOMPARE(window->size(), QSize(900, 500));
    QCOMPARE(window->GetList()->columnWidth(0), 222);
    QVERIFY(!window->GetList()->isColumnHidden(CDeviceColumnSet::kNetMask));
    QVERIFY(window->GetList()->isColumnHidden(CDeviceColumnSet::kGateway));
    QCOMPARE(window->GetSortOrder().ToText(), std::string("2 desc"));
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
    for (QAction* pAction : menu->actions())
      if (pAction->isCheckable()) pAction->setChecked(true);
    QTreeWidgetItem* pItem = window->GetList()->topLevelItem(0);
    QCOMPARE(pItem->text(CDeviceColumnSet::kNetMask), QStringLiteral("255.255.255.0"));
    QCOMPARE(pItem->text(CDeviceColumnSet::kType), QStringLiteral("Passthrough"));
    QCOMPARE(pItem->text(CDeviceColumnSet::kBaud), QStringLiteral("115200"));
    QCOMPARE(pItem->text(CDeviceColumnSet::kLastSeen), QStringLiteral("0.0 s"));
    m_clock.Advance(1200);
    window->PollDevices();
    QCOMPARE(pItem->text(CDeviceColumnSet::kLastSeen), QStringLiteral("1.2 s"));
  }

  void countSearchingAndEmptyMessages() {
    auto window = MakeWindow({});
    QCOMPARE(window->GetCountLabel()->text(), QStringLiteral("Searching..."));
    QVERIFY(window->GetEmptyLabel()->text().contains(QStringLiteral("No device has answered yet")));
    m_pSocket->Queue(RecordBytes(MakeDeviceRecord(1, "Boiler", 0x0A000005u)));
    m_pSocket->Queue(RecordBytes(MakeDeviceRecord(2, "Attic", 0x0A000006u)));
    window->PollDevices();
    window->PollDevices();
    QCOMPARE(window->GetCountLabel()->text(), QStringLiteral("2 devices"));
    QVERIFY(window->GetEmptyLabel()->isHidden());
    window->GetFilterEdit()->setText(QStringLiteral("att"));
    QCOMPARE(window->GetCountLabel()->text(), QStringLiteral("1 of 2 shown"));
    window->GetFilterEdit()->setText(QStringLiteral("nothing"));
    QCOMPARE(window->GetCountLabel()->text(), QStringLiteral("0 of 2 shown"));
    QVERIFY(window->GetEmptyLabel()->text().startsWith(QStringLiteral("No device matches the filter")));
    QVERIFY(!window->GetEmptyLabel()->isHidden());
    window->GetFilterEdit()->clear();
    m_clock.Advance(2001);
    window->PollDevices();
    QCOMPARE(window->GetCountLabel()->text(), QStringLiteral("0 devices"));
    QVERIFY(window->GetEmptyLabel()->text().startsWith(QStringLiteral("No device answers at the moment")));
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
    QVERIFY2(window.GetEmptyLabel()->text().startsWith(QStringLiteral("No network adapter")),
             qPrintable(window.GetEmptyLabel()->text()));
  }

  void commandsNeedASelectionAndDoubleClickOrEnterOpensTheDialog() {
    auto window = MakeWindow({MakeDeviceRecord(1, "First", 0x0A000005u)});
    window->show();
    QVERIFY(!window->GetBasicConfigButton()->isEnabled());
    QVERIFY(!window->GetLaunchButton()->isEnabled());
    QTreeWidget* pList = window->GetList();
    pList->topLevelItem(0)->setSelected(true);
    QVERIFY(window->GetBasicConfigButton()->isEnabled());
    QVERIFY(window->GetLaunchButton()->isEnabled());
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
    emit pList->itemDoubleClicked(pList->topLevelItem(0), 0);
    QCOMPARE(nDialogs, 1);
    cancelNextDialog();
    QTest::keyClick(pList, Qt::Key_Return);
    QCOMPARE(nDialogs, 2);
    window->GetFilterEdit()->setText(QStringLiteral("zzz"));  // hides and deselects the row
    QVERIFY(!window->GetBasicConfigButton()->isEnabled());
  }

  void severalSelectedRowsOpenTheFormWithItsPlan() {
    auto window = MakeWindow({MakeDeviceRecord(1, "First", 0x0A000005u), MakeDeviceRecord(2, "Second", 0x0A000006u),
                              MakeDeviceRecord(3, "Third", 0x0A000007u)});
    window->show();
    QTreeWidget* pList = window->GetList();
    QCOMPARE(pList->selectionMode(), QAbstractItemView::ExtendedSelection);
    // Third and First, the top and bottom rows, by Ctrl+click.
    QTest::mouseClick(pList->viewport(), Qt::LeftButton, {}, pList->visualItemRect(pList->topLevelItem(0)).center());
    QTest::mouseClick(pList->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      pList->visualItemRect(pList->topLevelItem(2)).center());
    QCOMPARE(pList->selectedItems().size(), 2);
    QVERIFY(window->GetBasicConfigButton()->isEnabled());
    QVERIFY(!window->GetLaunchButton()->isEnabled());  // a web page is one device's
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
    window->GetBasicConfigButton()->click();
    QCOMPARE(sTitle, QStringLiteral("Kesto Configuration: 2 devices"));
    // In the list's order, top row first.
    QCOMPARE(sPlan, QStringLiteral("Third:IP 10.0.0.7 -> 10.0.0.20;First:IP 10.0.0.5 -> 10.0.0.21;"));
    QCOMPARE(sApply, QStringLiteral("&Apply to 2 devices"));
    QCOMPARE(m_pSocket->sent.size(), nSentBefore);  // cancelled: nothing sent
  }

  void applyPlanPreviewsThenSendsAndBackUpWritesEveryDevice() {
    auto window = MakeWindow({MakeDeviceRecord(1, "First", 0x0A000005u), MakeDeviceRecord(2, "Second", 0x0A000006u)});
    QTemporaryDir dir;
    const QString sPlan = dir.filePath(QStringLiteral("plan.json"));
    QFile plan(sPlan);
    QVERIFY(plan.open(QIODevice::WriteOnly));
    plan.write(R"([{"mac":"00-1A-2B-3C-4D-02","name":"Renamed"},{"mac":"00-1A-2B-3C-4D-01","name":"First"}])");
    plan.close();
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
    QCOMPARE(window->GetStatusLabel()->text(), QStringLiteral("Sending plan: 0 of 1 devices done"));

    const QString sBackup = dir.filePath(QStringLiteral("backup.json"));
    QVERIFY(window->GetPlanCommands().BackupTo(sBackup));
    QFile backup(sBackup);
    QVERIFY(backup.open(QIODevice::ReadOnly));
    const QByteArray bytes = backup.readAll();
    QVERIFY(bytes.contains("\"kesto-backup\"") && bytes.contains("00-1A-2B-3C-4D-01") && bytes.contains("00-1A-2B-3C-4D-02"));
    QCOMPARE(window->GetStatusLabel()->text(), QStringLiteral("Backed up 2 devices to backup.json"));
  }

  void rowMenuAndCtrlCCopyTheDevice() {
    auto window = MakeWindow({MakeDeviceRecord(1, "Boiler", 0x0A000005u)});
    window->GetList()->topLevelItem(0)->setSelected(true);
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
    QTest::keySequence(window->GetList(), QKeySequence::Copy);
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
    QCOMPARE(window->GetStatusLabel()->text(), QStringLiteral("Exported 1 device to list.csv"));
    window->GetList()->topLevelItem(0)->setSelected(true);
    QTimer::singleShot(0, this, [] {
      if (auto* pDialog = qobject_cast<CConfigKestoDlg*>(QApplication::activeModalWidget())) {
        pDialog->GetNameEdit()->setText(QStringLiteral("Cellar"));
        pDialog->GetSetButton()->click();
      }
    });
    window->GetPresenter().OnBasicConfig();
    QCOMPARE(window->GetStatusLabel()->text(), QStringLiteral("Cellar (00-1A-2B-3C-4D-01): sent"));
    QVERIFY(window->GetStatusLabel()->toolTip().contains(QStringLiteral("Exported 1 device")));
    // No answer carries the settings: the row says so with a mark of its own.
    for (int i = 0; i < 2; ++i) {
      m_clock.Advance(1501);
      m_pSocket->Queue(RecordBytes(MakeDeviceRecord(1, "Boiler", 0x0A000005u)));  // the old values
      window->PollDevices();
    }
    QTreeWidgetItem* pItem = window->GetList()->topLevelItem(0);
    QCOMPARE(window->GetStatusLabel()->text(), QStringLiteral("Cellar (00-1A-2B-3C-4D-01): not confirmed"));
    QVERIFY(!IsBlank(pItem->icon(0)));
    QVERIFY(window->CellToolTip(pItem, 0).contains(QStringLiteral("Settings not confirmed")));
    std::unique_ptr<QMenu> menu(window->CreateStatusMenu());
    menu->actions()[0]->trigger();
    QCOMPARE(window->GetStatusLabel()->text(), QString());
    QVERIFY(IsBlank(pItem->icon(0)));
  }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
