// The configuration dialog's widgets: texts, lists, the enabling rule, and what
// confirming hands to the model.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <cstring>

#include "app/qt/AppIdentity.h"
#include "app/qt/ConfigKestoDlg.h"
#include "app/qt/IPAddressEdit.h"
#include "app/qt/MultiConfigDlg.h"
#include "app/logic/ConfigKestoModel.h"
#include "app/logic/MultiConfigForm.h"
#include "discovery/KestoRecordRules.h"
#include "support/RecordBuilder.h"

namespace {

CKestoInfo Entry(int8_t cType, uint16_t wBaudRate = 9600) {
  KESTO_RECORD record = MakeDeviceRecord(0x01, "Boiler room", 0xC0A8010Au);
  record.cType = cType;
  record.wBaudRate = wBaudRate;
  return CKestoInfo(record, 0);
}

QStringList Items(const QComboBox* pCombo) {
  QStringList items;
  for (int i = 0; i < pCombo->count(); ++i) items << pCombo->itemText(i);
  return items;
}

}  // namespace

class ConfigDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void captionLabelsAndButtons() {
    const CKestoInfo entry = Entry(5);
    CConfigKestoModel model(entry);
    CConfigKestoDlg dialog(model);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Kesto Configuration"));
    QCOMPARE(dialog.GetSetButton()->text(), QStringLiteral("Set Configuration"));
    QVERIFY(dialog.GetSetButton()->isDefault());
    QCOMPARE(dialog.GetCancelButton()->text(), QStringLiteral("Cancel"));
    QSet<QString> labels;
    for (const QLabel* pLabel : dialog.findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) labels << pLabel->text();
    QCOMPARE(labels, (QSet<QString>{"IP Address", "Net Mask", "Gateway", "DNS", "Type", "Name", "Protocol",
                                     "Baud Rate"}));
    const auto groups = dialog.findChildren<QGroupBox*>();
    QCOMPARE(groups.size(), 1);
    QCOMPARE(groups[0]->title(), QStringLiteral("Pass-Through Settings"));
    QCOMPARE(Items(dialog.GetProtocolList()), (QStringList{"RS232", "RS485"}));
    QCOMPARE(Items(dialog.GetBaudList()),
             (QStringList{"115200", "57600", "38400", "19200", "9600", "4800", "1200", "600", "300"}));
    QCOMPARE(dialog.GetNameEdit()->text(), QStringLiteral("Boiler room"));
    QCOMPARE(dialog.GetAddressEdit(0)->address(), 0xC0A8010Au);
    QCOMPARE(dialog.GetAddressEdit(1)->address(), 0xFFFFFF00u);
    QCOMPARE(dialog.GetBaudList()->currentText(), QStringLiteral("9600"));
  }

  // The caption stands alone: the program sets no display name that the window
  // system would append to it.
  void captionIsExactlyKestoConfiguration() {
    SetApplicationIdentity();
    QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("kesto-manager"));
    const CKestoInfo entry = Entry(5);
    CConfigKestoModel model(entry);
    CConfigKestoDlg dialog(model);
    dialog.show();
    QCOMPARE(dialog.windowHandle()->title(), QStringLiteral("Kesto Configuration"));
  }

  void tabOrderRunsTopToBottomFromTheName() {
    const CKestoInfo entry = Entry(5);
    CConfigKestoModel model(entry);
    CConfigKestoDlg dialog(model);
    QList<QWidget*> chain;
    QWidget* pWidget = dialog.GetNameEdit();
    for (int i = 0; i < 500 && chain.size() < 10; ++i, pWidget = pWidget->nextInFocusChain()) {
      if ((pWidget->focusPolicy() & Qt::TabFocus) && pWidget->isEnabled()) chain << pWidget;
    }
    const QList<QWidget*> expected{dialog.GetNameEdit(),
                                   dialog.GetAddressEdit(0)->focusProxy(), dialog.GetAddressEdit(1)->focusProxy(),
                                   dialog.GetAddressEdit(2)->focusProxy(), dialog.GetAddressEdit(3)->focusProxy(),
                                   dialog.GetTypeList(),    dialog.GetProtocolList(), dialog.GetBaudList(),
                                   dialog.GetSetButton(),   dialog.GetCancelButton()};
    QCOMPARE(chain, expected);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.GetNameEdit()));
  }

  void typeListToolTipSaysWhatIsSent() {
    const CKestoInfo entry = Entry(1);
    CConfigKestoModel model(entry);
    CConfigKestoDlg dialog(model);
    QVERIFY2(dialog.GetTypeList()->toolTip().startsWith(QStringLiteral("Sends type code 2 (Master)")),
             qPrintable(dialog.GetTypeList()->toolTip()));
    const CKestoInfo slave = Entry(3);
    CConfigKestoModel slaveModel(slave);
    CConfigKestoDlg slaveDialog(slaveModel);
    slaveDialog.GetTypeList()->setCurrentIndex(3);
    QCOMPARE(slaveDialog.GetTypeList()->toolTip(), QStringLiteral("Sends type code 5 (Passthrough)"));
  }

  // A failed check explains itself and sends nothing; Enter takes "Change address" back
  // to the field named, and only a click on "Send anyway" sends, whatever the problem.
  void failedChecksKeepTheDialogOpen_data() {
    QTest::addColumn<quint32>("ip");
    QTest::addColumn<quint32>("mask");
    QTest::addColumn<quint32>("gateway");
    QTest::addColumn<QString>("mentions");
    QTest::addColumn<int>("field");
    QTest::newRow("mask") << 0xC0A8010Au << 0xFFFF00FFu << 0u << "not a valid mask" << 1;
    QTest::newRow("gateway") << 0xC0A8010Au << 0xFFFFFF00u << 0x0A000001u << "outside" << 2;
    QTest::newRow("zero") << 0u << 0xFFFFFF00u << 0u << "0.0.0.0" << 0;
    QTest::newRow("all ones") << 0xFFFFFFFFu << 0xFFFFFF00u << 0u << "255.255.255.255" << 0;
    QTest::newRow("broadcast") << 0xC0A801FFu << 0xFFFFFF00u << 0u << "broadcast" << 0;
    QTest::newRow("network") << 0xC0A80100u << 0xFFFFFF00u << 0u << "network itself" << 0;
    QTest::newRow("in use") << 0xC0A80114u << 0xFFFFFF00u << 0u << "Attic (00-1A-2B-3C-4D-02)" << 0;
  }

  void failedChecksKeepTheDialogOpen() {
    QFETCH(quint32, ip);
    QFETCH(quint32, mask);
    QFETCH(quint32, gateway);
    QFETCH(QString, mentions);
    QFETCH(int, field);
    const CKestoInfo entry = Entry(2);
    CConfigKestoModel model(entry);
    CConfigKestoDlg dialog(model);
    dialog.SetOtherDevices({{0xC0A80114u, "Attic (00-1A-2B-3C-4D-02)"}});
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.GetAddressEdit(0)->setAddress(ip);
    dialog.GetAddressEdit(1)->setAddress(mask);
    dialog.GetAddressEdit(2)->setAddress(gateway);
    auto sendAnyway = [](QMessageBox* pBox) {
      QPushButton* pSend = nullptr;
      for (QAbstractButton* pButton : pBox->buttons())
        if (pButton->text() == QStringLiteral("&Send anyway")) pSend = qobject_cast<QPushButton*>(pButton);
      return pSend;
    };
    QTest::mouseClick(dialog.GetSetButton(), Qt::LeftButton);
    QVERIFY(!model.IsConfirmed());
    QVERIFY(dialog.isVisible());
    QMessageBox* pBox = dialog.GetCheckMessage();
    QVERIFY(pBox != nullptr && pBox->isVisible());
    QVERIFY2(pBox->text().contains(mentions), qPrintable(pBox->text()));
    QPushButton* pSend = sendAnyway(pBox);
    QVERIFY(pSend != nullptr);
    QVERIFY(pBox->defaultButton() != pSend);
    // Enter, twice, takes "Change address": nothing is sent, the dialog stays at the field named.
    QTest::keyClick(pBox, Qt::Key_Return);
    QTest::keyClick(pBox, Qt::Key_Return);
    QVERIFY(!pBox->isVisible());
    QVERIFY(!model.IsConfirmed());
    QVERIFY(dialog.isVisible());
    QWidget* pFocus = QApplication::focusWidget();
    QVERIFY(pFocus != nullptr && dialog.GetAddressEdit(field)->isAncestorOf(pFocus));
    QTest::mouseClick(dialog.GetSetButton(), Qt::LeftButton);
    pBox = dialog.GetCheckMessage();
    QVERIFY(pBox != nullptr && pBox->isVisible());
    QTest::mouseClick(sendAnyway(pBox), Qt::LeftButton);
    QVERIFY(model.IsConfirmed());
    QCOMPARE(*model.GetChange().dwIPAddress, ip);
    QCOMPARE(*model.GetChange().dwNetMask, mask);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
  }

  // What the device already has never blocks: a device reporting mask 0.0.0.0 and a
  // gateway outside its network is renamed without a question.
  void addressesTheDeviceAlreadyHasNeverBlock() {
    KESTO_RECORD record = MakeDeviceRecord(0x01, "Boiler room", 0xC0A8010Au);
    record.dwNetMask = 0;
    record.dwGateway = 0x0A000001u;
    const CKestoInfo entry(record, 0);
    CConfigKestoModel model(entry);
    CConfigKestoDlg dialog(model);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.GetNameEdit()->selectAll();
    QTest::keyClicks(dialog.GetNameEdit(), QStringLiteral("Cellar"));
    QTest::mouseClick(dialog.GetSetButton(), Qt::LeftButton);
    QVERIFY(dialog.GetCheckMessage() == nullptr);
    QVERIFY(model.IsConfirmed());
    QCOMPARE(*model.GetChange().sName, std::string("Cellar"));
  }

  // The form for several devices: a net mask the rule refuses greys "Apply" and shows
  // "Send anyway", which Enter never takes; a click on it confirms the plan as sent anyway.
  void formOffersSendAnywayButNeverByEnter() {
    const KESTO_RECORD first = MakeDeviceRecord(0x01, "Boiler room", 0xC0A8010Au);
    const KESTO_RECORD second = MakeDeviceRecord(0x02, "Attic", 0xC0A8010Bu);
    CMultiConfigForm form({first, second}, {first, second});
    CMultiConfigDlg dialog(form);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QPushButton* pSend = dialog.GetSendAnywayButton();
    QVERIFY(!pSend->isVisible());
    QTest::mouseClick(dialog.GetNetMaskEdit(), Qt::LeftButton);
    QTest::keyClicks(dialog.GetNetMaskEdit(), QStringLiteral("255.0.255.0"));
    QVERIFY2(dialog.GetProblemLabel()->text().contains(QStringLiteral("not a valid mask")),
             qPrintable(dialog.GetProblemLabel()->text()));
    QVERIFY(!dialog.GetApplyButton()->isEnabled());
    QVERIFY(pSend->isVisible() && !pSend->isDefault());
    QTest::keyClick(dialog.GetNetMaskEdit(), Qt::Key_Return);
    QVERIFY(!form.IsConfirmed());
    QVERIFY(dialog.isVisible());
    // Mended, the button goes away again.
    QTest::keyClick(dialog.GetNetMaskEdit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(dialog.GetNetMaskEdit(), QStringLiteral("255.255.0.0"));
    QVERIFY(!pSend->isVisible());
    QVERIFY(dialog.GetApplyButton()->isEnabled());
    QTest::keyClick(dialog.GetNetMaskEdit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(dialog.GetNetMaskEdit(), QStringLiteral("255.0.255.0"));
    QVERIFY(pSend->isVisible());
    QTest::mouseClick(pSend, Qt::LeftButton);
    QVERIFY(form.IsConfirmed() && form.IsSentAnyway());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
  }

  void enablingFollowsTheTypeSelection_data() {
    QTest::addColumn<int>("cType");
    QTest::addColumn<QStringList>("types");
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("enabled");
    const QStringList four{"Master", "Slave", "Aprilaire", "Passthrough"};
    QTest::newRow("Solvane") << 1 << QStringList{"Solvane/Duravex"} << 0 << false;
    QTest::newRow("Master") << 2 << four << 0 << false;
    QTest::newRow("Slave") << 3 << four << 1 << false;
    QTest::newRow("Passthrough") << 5 << four << 3 << true;
    QTest::newRow("unknown 9") << 9 << four << -1 << false;
  }

  void enablingFollowsTheTypeSelection() {
    QFETCH(int, cType);
    QFETCH(QStringList, types);
    QFETCH(int, selected);
    QFETCH(bool, enabled);
    const CKestoInfo entry = Entry(static_cast<int8_t>(cType));
    CConfigKestoModel model(entry);
    CConfigKestoDlg dialog(model);
    QCOMPARE(Items(dialog.GetTypeList()), types);
    QCOMPARE(dialog.GetTypeList()->currentIndex(), selected);
    QCOMPARE(dialog.GetProtocolList()->isEnabled(), enabled);
    QCOMPARE(dialog.GetBaudList()->isEnabled(), enabled);
    if (types.size() == 4) {
      for (int iIndex : {1, 3, 0, 3, 2}) {
        dialog.GetTypeList()->setCurrentIndex(iIndex);
        QCOMPARE(dialog.GetProtocolList()->isEnabled(), iIndex == 3);
        QCOMPARE(dialog.GetBaudList()->isEnabled(), iIndex == 3);
      }
    }
  }

  void noMatchingRateStartsWithoutSelection() {
    const CKestoInfo entry = Entry(5, 2400);
    CConfigKestoModel model(entry);
    CConfigKestoDlg dialog(model);
    QCOMPARE(dialog.GetBaudList()->currentIndex(), -1);
    const CKestoInfo fast = Entry(5, 49664);
    CConfigKestoModel fastModel(fast);
    CConfigKestoDlg fastDialog(fastModel);
    QCOMPARE(fastDialog.GetBaudList()->currentText(), QStringLiteral("115200"));
  }

  void setConfigurationHandsBackTheEditedValues() {
    const CKestoInfo entry = Entry(2);
    CConfigKestoModel model(entry);
    CConfigKestoDlg dialog(model);
    dialog.GetNameEdit()->clear();
    QTest::keyClicks(dialog.GetNameEdit(), QString(40, QLatin1Char('z')));
    QCOMPARE(dialog.GetNameEdit()->text().size(), 27);
    dialog.GetAddressEdit(0)->setAddress(0x0A000005u);
    dialog.GetAddressEdit(2)->setAddress(0x0A000001u);  // the gateway must stay inside the network
    dialog.GetTypeList()->setCurrentIndex(3);
    dialog.GetProtocolList()->setCurrentIndex(0);
    dialog.GetBaudList()->setCurrentIndex(0);
    dialog.GetSetButton()->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(model.IsConfirmed());
    const CKestoSettingsChange values = model.GetChange();
    QCOMPARE(*values.sName, std::string(27, 'z'));
    QCOMPARE(*values.dwIPAddress, 0x0A000005u);
    QCOMPARE(int(*values.cType), 5);
    QCOMPARE(int(*values.shProtocol), 0);
    QCOMPARE(BaudFromWire(*values.wBaudRate), 115200);
  }

  // Names are Latin-1 whatever the locale: shown one character per byte, a name left
  // alone goes back byte for byte (even a full 28), and one the record cannot hold is
  // explained and not handed back.
  void namesAreLatin1AndTheRuleIsExplained() {
    for (const std::string& sName : {std::string("Caf\xE9 \x80\x9F\xFF"), std::string(28, 'F')}) {
      KESTO_RECORD record = Entry(2).GetRecord();
      std::memset(record.szName, 0, sizeof record.szName);
      std::memcpy(record.szName, sName.data(), sName.size());
      const CKestoInfo entry(record, 0);
      CConfigKestoModel model(entry);
      CConfigKestoDlg dialog(model);
      QCOMPARE(dialog.GetNameEdit()->text(), QString::fromLatin1(sName.data(), static_cast<qsizetype>(sName.size())));
      dialog.GetSetButton()->click();
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
      QCOMPARE(*model.GetChange().sName, sName);
    }
    const CKestoInfo entry = Entry(2);
    CConfigKestoModel model(entry);
    CConfigKestoDlg dialog(model);
    dialog.GetNameEdit()->setText(QStringLiteral("\u0141\u00F3d\u017A"));
    dialog.GetSetButton()->click();
    QVERIFY(!model.IsConfirmed());
    QVERIFY(dialog.GetNameMessage() != nullptr);
    QVERIFY(dialog.GetNameMessage()->text().contains(QStringLiteral("U+0141")));
    dialog.GetNameEdit()->setText(QStringLiteral("Caf\u00E9"));
    dialog.GetSetButton()->click();
    QVERIFY(model.IsConfirmed());
    QCOMPARE(*model.GetChange().sName, std::string("Caf\xE9"));
  }

  void cancelAndEscapeHandBackNothing() {
    const CKestoInfo entry = Entry(2);
    for (bool bEscape : {false, true}) {
      CConfigKestoModel model(entry);
      CConfigKestoDlg dialog(model);
      dialog.show();
      if (bEscape)
        QTest::keyClick(&dialog, Qt::Key_Escape);
      else
        dialog.GetCancelButton()->click();
      QCOMPARE(dialog.result(), int(QDialog::Rejected));
      QVERIFY(!model.IsConfirmed());
    }
  }

  void runModalPollsUntilTheDialogCloses() {
    const CKestoInfo entry = Entry(2);
    CConfigKestoModel model(entry);
    CConfigKestoDlg dialog(model);
    int nPasses = 0;
    int iLongestPause = 0;
    // The click comes once the loop has paused, however busy the machine keeps it first.
    const bool bConfirmed = dialog.RunModal([&] { ++nPasses; },
                                            [&](int iMs) {
                                              if (iLongestPause == 0)
                                                QTimer::singleShot(0, &dialog, [&] {
                                                  QTest::mouseClick(dialog.GetSetButton(), Qt::LeftButton);
                                                });
                                              iLongestPause = std::max(iLongestPause, iMs);
                                              QTest::qSleep(iMs);
                                            });
    QVERIFY(bConfirmed);
    QVERIFY(nPasses > 0);
    QCOMPARE(iLongestPause, 10);
    QVERIFY(!dialog.isVisible());
  }
};

QTEST_MAIN(ConfigDialogTest)
#include "ConfigDialogTest.moc"
