// The IP address editor: four octets, blanks, ".", and pasting a whole address.
#include <QApplication>
#include <QClipboard>
#include <QTest>

#include "app/qt/IPAddressEdit.h"
#include "app/qt/OctetEdit.h"

class IPAddressEditTest : public QObject {
  Q_OBJECT

 private slots:
  void addressRoundTrip_data() {
    QTest::addColumn<quint32>("address");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("private") << 0xC0A8010Au << QStringList{"192", "168", "1", "10"};
    QTest::newRow("zero") << 0u << QStringList{"0", "0", "0", "0"};
    QTest::newRow("broadcast") << 0xFFFFFFFFu << QStringList{"255", "255", "255", "255"};
    QTest::newRow("mixed") << 0x0100FF7Fu << QStringList{"1", "0", "255", "127"};
  }

  void addressRoundTrip() {
    QFETCH(quint32, address);
    QFETCH(QStringList, fields);
    CIPAddressEdit edit;
    edit.setAddress(address);
    for (int i = 0; i < 4; ++i) QCOMPARE(edit.field(i)->text(), fields[i]);
    QCOMPARE(edit.address(), address);
  }

  void blankFieldsCountAsZero() {
    CIPAddressEdit edit;
    edit.setAddress(0x0A0B0C0Du);
    edit.field(1)->clear();
    edit.field(3)->clear();
    QCOMPARE(edit.address(), 0x0A000C00u);
  }

  void typingKeepsEachFieldWithin0To255_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("255") << "255" << "255";
    QTest::newRow("256 stops at 25") << "256" << "25";
    QTest::newRow("four digits") << "1234" << "123";
    QTest::newRow("letters refused") << "1a2b" << "12";
    QTest::newRow("minus refused") << "-5" << "5";
    QTest::newRow("999") << "999" << "99";
  }

  void typingKeepsEachFieldWithin0To255() {
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    CIPAddressEdit edit;
    QTest::keyClicks(edit.field(0), typed);
    QCOMPARE(edit.field(0)->text(), kept);
  }

  void dotMovesToTheNextField() {
    CIPAddressEdit edit;
    edit.show();
    QApplication::setActiveWindow(&edit);
    QVERIFY(QTest::qWaitForWindowActive(&edit));
    edit.field(0)->setFocus();
    for (const char* pszPart : {"10.", "20.", "30.", "40"}) {
      QWidget* pFocused = QApplication::focusWidget();
      QVERIFY(pFocused != nullptr);
      QTest::keyClicks(pFocused, QString::fromLatin1(pszPart));
    }
    QCOMPARE(edit.address(), 0x0A141E28u);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(edit.field(3)));
    QTest::keyClicks(edit.field(3), QStringLiteral("."));  // no field after the last
    QCOMPARE(edit.field(3)->text(), QStringLiteral("40"));
  }

  void threeDigitsMoveToTheNextField() {
    CIPAddressEdit edit;
    edit.show();
    QApplication::setActiveWindow(&edit);
    QVERIFY(QTest::qWaitForWindowActive(&edit));
    edit.field(0)->setFocus();
    // Three digits move on, a "." after fewer does too, and a "." right after three digits is not a second move.
    for (const char* pszPart : {"192", ".", "168", "1.", "23"}) QTest::keyClicks(QApplication::focusWidget(), pszPart);
    QCOMPARE(edit.address(), 0xC0A80117u);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(edit.field(3)));
  }

  void pasteOfADottedAddressFillsAllFour() {
    CIPAddressEdit edit;
    edit.setAddress(0x01020304u);
    QApplication::clipboard()->setText(QStringLiteral(" 172.16.0.99 \n"));
    QTest::keySequence(edit.field(1), QKeySequence::Paste);
    QCOMPARE(edit.address(), 0xAC100063u);

    for (const char* pszBad : {"1.2.3", "1.2.3.256", "a.b.c.d", "1.2.3.4.5"}) {
      edit.field(0)->pasteText(QString::fromLatin1(pszBad));
      QCOMPARE(edit.address(), 0xAC100063u);
    }
    edit.field(2)->clear();
    edit.field(2)->pasteText(QStringLiteral("42"));
    QCOMPARE(edit.field(2)->text(), QStringLiteral("42"));
    edit.field(3)->clear();
    edit.field(3)->pasteText(QStringLiteral("300"));
    QCOMPARE(edit.field(3)->text(), QString());
  }

  void isOneTabStop() {
    CIPAddressEdit edit;
    QCOMPARE(edit.focusProxy(), static_cast<QWidget*>(edit.field(0)));
    for (int i = 1; i < 4; ++i) QVERIFY(!(edit.field(i)->focusPolicy() & Qt::TabFocus));
  }
};

QTEST_MAIN(IPAddressEditTest)
#include "IPAddressEditTest.moc"
