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
#include <QTemporaryDir>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

#include "app/ConfigKestoDlg.h"
#include "app/DialogUnits.h"
#include "app/QUORINDlg.h"
#include "support/FakeClock.h"
#include "support/FakeDatagramSocket.h"
#include "support/InterfaceBuilder.h"
#include "tests/app/AppTestRecords.h"
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

  FakeClock m_clock{5000};
  FakeDatagramSocket* m_pSocket = nullptr;
  QStringList m_urls;

 private slots:
  void columnsTitlesAndWidths() {
    auto window = MakeWindow({});
    QTreeWidget* pList = window->GetList();
    const char* titles[] = {"Name", "MAC Address", "IP Address", "Port", "Version"};
    const int widths[] = {110, 150, 100, 40, 150};
    QCOMPARE(pList->columnCount(), 5);
    for (int i = 0; i < 5; ++i) {
      QCOMPARE(pList->headerItem()->text(i), QString::fromLatin1(titles[i]));
      QCOMPARE(pList->header()->sectionSize(i), widths[i]);
    }
    QCOMPARE(pList->selectionMode(), QAbstractItemView::SingleSelection);
    QVERIFY(!pList->isSortingEnabled());
  }

  void captionButtonsAndLayout() {
    auto window = MakeWindow({});
    QCOMPARE(window->windowTitle(), QStringLiteral("Tamrel Kesto Manager"));
    QCOMPARE(window->GetBasicConfigButton()->text(), QStringLiteral("Basic Config..."));
    QCOMPARE(window->GetLaunchButton()->text(), QStringLiteral("Lauch Configurator..."));
    QVERIFY(!window->windowIcon().isNull());
    const CDialogUnits du;
    // The list and the two buttons keep their panel of 387 by 113; the rest goes around it.
    QCOMPARE(window->GetClassicPanel()->size(), du.Size(387, 113));
    QCOMPARE(window->GetList()->parentWidget(), window->GetClassicPanel());
    QVERIFY(window->width() == du.Size(387, 113).width() && window->height() > du.Size(387, 113).height());
    QCOMPARE(window->GetList()->geometry(), du.Rect(4, 4, 379, 86));
    QCOMPARE(window->GetBasicConfigButton()->geometry(), du.Rect(4, 95, 119, 14));
    QCOMPARE(window->GetLaunchButton()->geometry(), du.Rect(129, 95, 139, 14));
    QCOMPARE(window->GetAboutButton()->parentWidget(), window->GetClassicPanel());
    QCOMPARE(window->GetAboutButton()->geometry(), du.Rect(329, 95, 54, 14));
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
    auto window = MakeWindow({MakeRecord(1, "First", 0x0A000001u), MakeRecord(2, "Second", 0x0A000002u)});
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
    auto window = MakeWindow({MakeRecord(1, "First", 0x0A000001u)});
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

  void tabMovesTheFocus() {
    auto window = MakeWindow({});
    QCOMPARE(window->GetBasicConfigButton()->nextInFocusChain(), window->GetList());
    QVERIFY(window->GetList()->focusPolicy() & Qt::TabFocus);
    QVERIFY(window->GetLaunchButton()->focusPolicy() & Qt::TabFocus);
  }

  void launchOpensThePageInTheBrowser() {
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "handleUrl");
    m_urls.clear();
    auto window = MakeWindow({MakeRecord(1, "First", 0x0A000005u), MakeRecord(2, "Second", 0x0A000006u)});
    window->GetLaunchButton()->click();  // nothing selected
    QVERIFY(m_urls.isEmpty());
    window->GetList()->topLevelItem(1)->setSelected(true);
    window->GetLaunchButton()->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QCOMPARE(m_urls, QStringList{QStringLiteral("http://10.0.0.5/config.htm")});
  }

  void basicConfigSendsWhatTheDialogConfirmed() {
    auto window = MakeWindow({MakeRecord(1, "First", 0x0A000005u)});
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
    QCOMPARE(window->GetStatusLabel()->text(), QStringLiteral("00-1A-2B-3C-4D-01: sent"));
    // This computer's own adapters may add a line about reachability above it.
    QVERIFY(window->GetList()->topLevelItem(0)->toolTip(2).endsWith(QStringLiteral("Settings sent")));
  }

  void filterBoxHidesRowsAndTheCommandsFollow() {
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "handleUrl");
    m_urls.clear();
    auto window = MakeWindow({MakeRecord(1, "Boiler", 0x0A000005u), MakeRecord(2, "Attic", 0x0A000006u)});
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
    auto window = MakeWindow({MakeRecord(1, "Boiler", 0x0A000005u), MakeRecord(2, "Attic", 0x0A000006u)});
    window->show();
    QVERIFY(window->GetExportButton() != nullptr);
    QCOMPARE(window->GetExportButton()->text(), QStringLiteral("Export..."));
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
    auto window = MakeWindow({MakeRecord(1, "Boiler", 0x0A000005u), MakeRecord(2, "Attic", 0x0A000005u),
                              MakeRecord(3, "Shed", 0x0A000007u)});
    QTreeWidget* pList = window->GetList();
    QCOMPARE(pList->topLevelItemCount(), 3);
    QVERIFY(pList->topLevelItem(0)->icon(0).isNull());  // Shed
    QVERIFY(!pList->topLevelItem(1)->icon(0).isNull());
    QVERIFY(!pList->topLevelItem(2)->icon(0).isNull());
    QVERIFY2(pList->topLevelItem(2)->toolTip(0).contains(QStringLiteral("also used by 00-1A-2B-3C-4D-02")),
             qPrintable(pList->topLevelItem(2)->toolTip(0)));
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
    QCOMPARE(pAdapter->itemText(1), QStringLiteral("eth0"));
    QTest::keyClick(pAdapter, Qt::Key_Down);  // activates "eth0"
    QCOMPARE(window.GetFinder().GetDestinations().vecInterfaces, std::vector<std::string>{"eth0"});

    QToolButton* pTargets = window.GetTargetsButton();
    QVERIFY(pTargets->isEnabled());
    QCOMPARE(pTargets->menu()->actions().size(), 2);
    QCOMPARE(pTargets->menu()->actions()[0]->text(), QStringLiteral("Add target..."));
    pTargets->menu()->actions()[0]->trigger();
    QInputDialog* pInput = window.GetTargetInput();
    QVERIFY(pInput != nullptr && pInput->isVisible());
    pInput->setTextValue(QStringLiteral("127.0.0.0/30"));
    pInput->accept();
    QCOMPARE(window.GetFinder().GetDestinations().vecUnicast.size(), size_t{2});

    QVERIFY(!window.AddTarget(QStringLiteral("127.0.0.300")));
    QVERIFY(window.GetLastErrorMessage() != nullptr && window.GetLastErrorMessage()->isVisible());
    QCOMPARE(window.GetFinder().GetDestinations().vecUnicast.size(), size_t{2});
    pTargets->menu()->actions()[1]->trigger();  // "Clear targets"
    QVERIFY(window.GetFinder().GetDestinations().vecUnicast.empty());
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
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
