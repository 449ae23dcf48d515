// The serial terminal window used as a person uses it: typing, Enter, clicks.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "app/qt/SerialTerminalDlg.h"
#include "support/LoopbackSerialLine.h"

class SerialTerminalTest : public QObject {
  Q_OBJECT

 private slots:
  void TypedLinesComeBackAsTextThenAsHex();
  void ABusyLineSaysSoAndOffersToReconnect();
};

namespace {

template <typename T>
T* Find(QWidget* pDialog, const char* pszName) {
  T* pWidget = pDialog->findChild<T*>(pszName);
  if (pWidget == nullptr) qFatal("no widget %s", pszName);
  return pWidget;
}

}  // namespace

void SerialTerminalTest::TypedLinesComeBackAsTextThenAsHex() {
  LoopbackSerialLine line(false);
  auto* pDialog = new CSerialTerminalDlg(line.Device());
  pDialog->show();
  QVERIFY(QTest::qWaitForWindowExposed(pDialog));
  auto* pInput = Find<QLineEdit>(pDialog, "serialInput");
  auto* pOutput = Find<QPlainTextEdit>(pDialog, "serialOutput");
  QTRY_VERIFY2(pInput->isEnabled(), qPrintable(Find<QLabel>(pDialog, "serialState")->text()));

  QTest::keyClicks(pInput, "hello");
  QTest::keyClick(pInput, Qt::Key_Return);
  QTRY_COMPARE(pOutput->toPlainText(), QStringLiteral("hello\n"));
  QCOMPARE(pInput->text(), QString());

  QTest::mouseClick(Find<QCheckBox>(pDialog, "serialShowHex"), Qt::LeftButton);
  QTest::mouseClick(Find<QCheckBox>(pDialog, "serialSendHex"), Qt::LeftButton);
  QTest::keyClicks(pInput, "1b 41");
  QTest::mouseClick(Find<QPushButton>(pDialog, "serialSend"), Qt::LeftButton);
  QTRY_VERIFY2(pOutput->toPlainText().contains("00000000  1b 41 "), qPrintable(pOutput->toPlainText()));

  QTest::keyClicks(pInput, "4");
  QTest::keyClick(pInput, Qt::Key_Return);
  QVERIFY(Find<QLabel>(pDialog, "serialState")->text().startsWith("Not sent: "));
  QCOMPARE(pInput->text(), QStringLiteral("4"));  // kept, to be mended
  pDialog->close();
}

void SerialTerminalTest::ABusyLineSaysSoAndOffersToReconnect() {
  LoopbackSerialLine busy(true);
  auto* pDialog = new CSerialTerminalDlg(busy.Device());
  pDialog->show();
  auto* pState = Find<QLabel>(pDialog, "serialState");
  QTRY_VERIFY2(pState->text().contains("busy with another client"), qPrintable(pState->text()));
  QVERIFY(Find<QPushButton>(pDialog, "serialReconnect")->isEnabled());
  QVERIFY(!Find<QLineEdit>(pDialog, "serialInput")->isEnabled());
  pDialog->close();
}

QTEST_MAIN(SerialTerminalTest)
#include "SerialTerminalTest.moc"
