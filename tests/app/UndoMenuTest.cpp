// "Undo last change" and "Change history" in the row menu, used as a user
// would: a right click on the row, a click on the menu item, a click in the preview.
#include <QApplication>
#include <QAction>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <cstdlib>
#include <memory>

#include "app/qt/QUORINDlg.h"
#include "discovery/KestoWire.h"
#include "plan/ChangeHistory.h"
#include "plan/ChangeLog.h"
#include "plan/ChangeLogEntry.h"
#include "support/FakeClock.h"
#include "support/FakeDatagramSocket.h"
#include "support/RecordBuilder.h"
#include "WindowDriver.h"

class UndoMenuTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CQUORINDlg> MakeWindow(const KESTO_RECORD& device) {
    auto socket = std::make_unique<FakeDatagramSocket>();
    m_pSocket = socket.get();
    KestoFinderOptions options;
    options.pTicks = &m_clock;
    options.fnReadInterfaces = nullptr;
    auto window = std::make_unique<CQUORINDlg>(std::make_unique<CKestoFinder>(options, std::move(socket)));
    m_pSocket->Queue(RecordBytes(device));
    window->PollDevices();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) qWarning("the window was not exposed");
    return window;
  }

  // Right-clicks the first row and, once its menu is up, clicks the item named sText
  // (its text or object name); fnThen, when given, runs once whatever that item opens
  // is the active modal window; fnSeen looks at the item before the click.
  void ChooseFromRowMenu(CQUORINDlg& window, const QString& sText, std::function<void(QWidget*)> fnThen,
                         std::function<void(const QAction&)> fnSeen = {}) {
    bool bClicked = false;
    QTimer::singleShot(0, this, [&] {
      QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
      auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      QVERIFY(pMenu != nullptr);
      for (QAction* pAction : pMenu->actions()) {
        if (pAction->text() != sText && pAction->objectName() != sText) continue;
        QVERIFY(pAction->isEnabled());
        if (fnSeen) fnSeen(*pAction);
        if (fnThen)
          QTimer::singleShot(0, this, [fnThen] {
            QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
            fnThen(QApplication::activeModalWidget());
          });
        QTest::mouseClick(pMenu, Qt::LeftButton, {}, pMenu->actionGeometry(pAction).center());
        bClicked = true;
        return;
      }
      pMenu->close();
    });
    QTreeView* pList = window_driver::DeviceList(&window);
    const QPoint at = pList->visualRect(pList->model()->index(0, 0)).center();
    QTest::mouseClick(pList->viewport(), Qt::LeftButton, {}, at);
    // Through the window, as the system delivers a click, so the right button asks for the context menu.
    QTest::mouseClick(window.windowHandle(), Qt::RightButton, {}, pList->viewport()->mapTo(&window, at));
    QVERIFY2(bClicked, qPrintable(sText));
  }

  // A '&' in the log's folder must show as itself in the menu, not as a mnemonic.
  QTemporaryDir m_stateDir{QDir::tempPath() + QStringLiteral("/kesto&state-XXXXXX")};
  QTemporaryDir m_settingsDir;
  FakeClock m_clock{5000};
  FakeDatagramSocket* m_pSocket = nullptr;

 private slots:
  void initTestCase() {
    // The log and the settings go to throw-away folders, never the user's own.
    QVERIFY(m_stateDir.isValid() && m_settingsDir.isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    qputenv("XDG_STATE_HOME", m_stateDir.path().toUtf8());
    CChangeLog::Process().Open(CChangeLog::DefaultPath(), "window", {});
  }

  void undoSendsTheOldNameBackAfterItsPreview() {
    const KESTO_RECORD before = MakeDeviceRecord(1, "Boiler", 0x0A000005u);
    const KESTO_RECORD after = MakeDeviceRecord(1, "Cellar", 0x0A000005u);
    // An earlier change, as `kesto set` logged it; the device now answers with it.
    CChangeLogEntry::Begin(before, after).Finish(ChangeOutcome::kConfirmed);
    auto window = MakeWindow(after);

    QString sPreview;
    const size_t nSentBefore = m_pSocket->sent.size();
    ChooseFromRowMenu(*window, QStringLiteral("&Undo last change..."), [&](QWidget* pModal) {
      auto* pBox = qobject_cast<QMessageBox*>(pModal);
      QVERIFY(pBox != nullptr);
      sPreview = pBox->text();
      auto* pSend = pBox->findChild<QPushButton*>(QStringLiteral("undoSend"));
      QVERIFY(pSend != nullptr);
      QTest::mouseClick(pSend, Qt::LeftButton);
    });
    QVERIFY2(sPreview.contains(QStringLiteral("name: \"Cellar\" -> \"Boiler\"")), qPrintable(sPreview));
    // The old name went out in a set-configuration datagram.
    bool bOldNameSent = false;
    for (size_t i = nSentBefore; i < m_pSocket->sent.size(); ++i) {
      const std::vector<uint8_t>& bytes = m_pSocket->sent[i].bytes;
      if (bytes.size() == kesto_wire::kSetConfigSize)
        bOldNameSent |= FieldText(kesto_wire::DecodeRecord(bytes.data() + 4).szName, 28) == "Boiler";
    }
    QVERIFY(bOldNameSent);
    const CChangeHistory history = CChangeHistory::Read(CChangeLog::DefaultPath());
    QCOMPARE(history.Changes().size(), size_t{2});
    QCOMPARE(history.Changes()[0].send.sUndoOf, history.Changes()[1].send.sId);
    QCOMPARE(history.Changes()[0].send.sBy, std::string("window"));

    // The history names both changes, newest first.
    QString sHistory;
    ChooseFromRowMenu(*window, QStringLiteral("Change &history..."), [&](QWidget* pModal) {
      QVERIFY(pModal != nullptr);
      auto* pText = pModal->findChild<QPlainTextEdit*>();
      QVERIFY(pText != nullptr);
      sHistory = pText->toPlainText();
      QTest::keyClick(pModal, Qt::Key_Escape);
    });
    const QStringList lines = sHistory.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].contains(QStringLiteral("window (")) && lines[0].contains(QStringLiteral("\"Cellar\" -> \"Boiler\"")),
             qPrintable(sHistory));
    QVERIFY2(lines[1].contains(QStringLiteral("window (confirmed): name: \"Boiler\" -> \"Cellar\"")), qPrintable(sHistory));
  }

  void cancelSendsNothing() {
    auto window = MakeWindow(MakeDeviceRecord(1, "Cellar", 0x0A000005u));
    const size_t nSentBefore = m_pSocket->sent.size();
    ChooseFromRowMenu(*window, QStringLiteral("&Undo last change..."), [&](QWidget* pModal) {
      QVERIFY(qobject_cast<QMessageBox*>(pModal) != nullptr);
      QTest::keyClick(pModal, Qt::Key_Escape);
    });
    for (size_t i = nSentBefore; i < m_pSocket->sent.size(); ++i)
      QVERIFY(m_pSocket->sent[i].bytes.size() != kesto_wire::kSetConfigSize);
  }

  // The switch in the row menu: off, the next send is not logged and the choice is
  // stored; on again, logging goes on in the same file.
  void logSwitchTakesEffectAtOnce() {
    const KESTO_RECORD before = MakeDeviceRecord(2, "Attic", 0x0A000006u);
    const KESTO_RECORD after = MakeDeviceRecord(2, "Garage", 0x0A000006u);
    CChangeLogEntry::Begin(before, after).Finish(ChangeOutcome::kConfirmed);
    const std::string sPath = CChangeLog::DefaultPath();
    const size_t nChanges = CChangeHistory::Read(sPath).Changes().size();
    auto window = MakeWindow(after);
    const QString kSwitch = QStringLiteral("changeLogSwitch");
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Kesto"),
                       QStringLiteral("kesto-manager"));
    auto* pStatus = window_driver::Find<QLabel>(window.get(), "status");

    struct Flip {
      bool bCheckedBefore;
      const char* pszStatus;
    };
    const Flip flips[] = {{true, "no longer logged"}, {false, "logged to"}};
    for (const Flip& flip : flips) {
      bool bChecked = !flip.bCheckedBefore;
      QString sShown;
      ChooseFromRowMenu(*window, kSwitch, {}, [&](const QAction& item) {
        bChecked = item.isChecked();
        sShown = item.iconText();
      });
      QCOMPARE(bChecked, flip.bCheckedBefore);
      QCOMPARE(sShown, QStringLiteral("Log settings sent to ") + QString::fromStdString(sPath));
      QCOMPARE(CChangeLog::Process().IsOpen(), !flip.bCheckedBefore);
      settings.sync();
      QCOMPARE(settings.value(QStringLiteral("changeLog/enabled")).toBool(), !flip.bCheckedBefore);
      QVERIFY2(pStatus->text().contains(QLatin1String(flip.pszStatus)), qPrintable(pStatus->text()));
      if (flip.bCheckedBefore) {
        // Off: the undo still goes out, and the log does not grow.
        const size_t nSentBefore = m_pSocket->sent.size();
        ChooseFromRowMenu(*window, QStringLiteral("&Undo last change..."), [&](QWidget* pModal) {
          auto* pSend = pModal->findChild<QPushButton*>(QStringLiteral("undoSend"));
          QVERIFY(pSend != nullptr);
          QTest::mouseClick(pSend, Qt::LeftButton);
        });
        bool bSetSent = false;
        for (size_t i = nSentBefore; i < m_pSocket->sent.size(); ++i)
          bSetSent |= m_pSocket->sent[i].bytes.size() == kesto_wire::kSetConfigSize;
        QVERIFY(bSetSent);
        QCOMPARE(CChangeHistory::Read(sPath).Changes().size(), nChanges);
      }
    }
    QCOMPARE(CChangeLog::Process().Path(), sPath);
    QCOMPARE(CChangeLog::Process().By(), std::string("window"));
  }
};

QTEST_MAIN(UndoMenuTest)
#include "UndoMenuTest.moc"
