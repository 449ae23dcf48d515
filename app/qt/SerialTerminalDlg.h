#ifndef KESTO_APP_QT_SERIALTERMINALDLG_H
#define KESTO_APP_QT_SERIALTERMINALDLG_H

#include <QDialog>

#include "app/logic/SerialTerminalSession.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

// "Serial Terminal": one device's serial line, open beside the main window. What
// the device sends shows as text (control bytes escaped) or hex; a typed line
// goes as text with a chosen line end, or as hex bytes. Closing it closes the
// connection.
class CSerialTerminalDlg : public QDialog {
  Q_OBJECT

 public:
  CSerialTerminalDlg(const KESTO_RECORD& device, QWidget* pParent = nullptr);
  ~CSerialTerminalDlg() override;

 private:
  void Connect();
  void PollLine();
  void SendLine();
  void ChooseLog();
  void ShowState(const QString& sText);
  void UpdateCommands();

  CSerialTerminalSession m_session;
  QLabel* m_pState;
  QPlainTextEdit* m_pOutput;
  QLineEdit* m_pInput;
  QComboBox* m_pLineEnd;
  QCheckBox* m_pSendHex;
  QPushButton* m_pSend;
  QCheckBox* m_pShowHex;
  QPushButton* m_pLog;
  QPushButton* m_pReconnect;
  QTimer* m_pTimer;
};

#endif
