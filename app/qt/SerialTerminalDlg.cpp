#include "app/qt/SerialTerminalDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/qt/ProgramIcon.h"
#include "formats/SerialLineText.h"

namespace {

constexpr int kConnectTimeoutMs = 3000;
constexpr int kPollEveryMs = 20;
// The output keeps this many lines; older ones scroll away, so a chatty device cannot fill memory.
constexpr int kMaxOutputLines = 20000;

struct LineEnd {
  const char* pszLabel;
  const char* pszBytes;
};
constexpr LineEnd kLineEnds[] = {{"CR LF", "\r\n"}, {"LF", "\n"}, {"CR", "\r"}, {"None", ""}};

}  // namespace

CSerialTerminalDlg::CSerialTerminalDlg(const KESTO_RECORD& device, QWidget* pParent)
    : QDialog(pParent), m_session(device) {
  setWindowTitle(QStringLiteral("Serial Terminal - %1").arg(QString::fromStdString(SerialDeviceText(device))));
  setWindowIcon(ProgramIcon());
  setAttribute(Qt::WA_DeleteOnClose);

  m_pState = new QLabel(this);
  m_pState->setObjectName("serialState");
  m_pState->setWordWrap(true);
  m_pOutput = new QPlainTextEdit(this);
  m_pOutput->setObjectName("serialOutput");
  m_pOutput->setReadOnly(true);
  m_pOutput->setMaximumBlockCount(kMaxOutputLines);
  m_pOutput->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  m_pOutput->setMinimumSize(560, 300);

  m_pInput = new QLineEdit(this);
  m_pInput->setObjectName("serialInput");
  m_pInput->setPlaceholderText(QStringLiteral("Type a line; Enter sends it"));
  m_pLineEnd = new QComboBox(this);
  m_pLineEnd->setObjectName("serialLineEnd");
  m_pLineEnd->setToolTip(QStringLiteral("What follows each line sent as text"));
  for (const LineEnd& end : kLineEnds) m_pLineEnd->addItem(QString::fromLatin1(end.pszLabel));
  m_pSendHex = new QCheckBox(QStringLiteral("&Hex bytes"), this);
  m_pSendHex->setObjectName("serialSendHex");
  m_pSendHex->setToolTip(QStringLiteral("Send the line as bytes written in hex, such as 1b 5b 32 4a"));
  m_pSend = new QPushButton(QStringLiteral("&Send"), this);
  m_pSend->setObjectName("serialSend");
  auto* pInputRow = new QHBoxLayout;
  pInputRow->addWidget(m_pInput, 1);
  pInputRow->addWidget(m_pLineEnd);
  pInputRow->addWidget(m_pSendHex);
  pInputRow->addWidget(m_pSend);

  m_pShowHex = new QCheckBox(QStringLiteral("Show as he&x"), this);
  m_pShowHex->setObjectName("serialShowHex");
  m_pLog = new QPushButton(QStringLiteral("&Log to File..."), this);
  m_pLog->setObjectName("serialLog");
  auto* pClear = new QPushButton(QStringLiteral("C&lear"), this);
  m_pReconnect = new QPushButton(QStringLiteral("&Reconnect"), this);
  m_pReconnect->setObjectName("serialReconnect");
  auto* pClose = new QPushButton(QStringLiteral("Close"), this);
  auto* pCommandRow = new QHBoxLayout;
  pCommandRow->addWidget(m_pShowHex);
  pCommandRow->addStretch(1);
  pCommandRow->addWidget(m_pLog);
  pCommandRow->addWidget(pClear);
  pCommandRow->addWidget(m_pReconnect);
  pCommandRow->addWidget(pClose);

  auto* pLayout = new QVBoxLayout(this);
  pLayout->addWidget(m_pState);
  pLayout->addWidget(m_pOutput, 1);
  pLayout->addLayout(pInputRow);
  pLayout->addLayout(pCommandRow);

  m_pTimer = new QTimer(this);
  m_pTimer->setInterval(kPollEveryMs);
  connect(m_pTimer, &QTimer::timeout, this, &CSerialTerminalDlg::PollLine);
  connect(m_pInput, &QLineEdit::returnPressed, this, &CSerialTerminalDlg::SendLine);
  connect(m_pSend, &QPushButton::clicked, this, &CSerialTerminalDlg::SendLine);
  connect(m_pShowHex, &QCheckBox::toggled, this, [this](bool bHex) { m_session.ShowHex(bHex); });
  connect(m_pLog, &QPushButton::clicked, this, &CSerialTerminalDlg::ChooseLog);
  connect(pClear, &QPushButton::clicked, m_pOutput, &QPlainTextEdit::clear);
  connect(m_pReconnect, &QPushButton::clicked, this, &CSerialTerminalDlg::Connect);
  connect(pClose, &QPushButton::clicked, this, &QDialog::close);
  // Enter belongs to the input line, never to a default button that would close the window.
  m_pSend->setAutoDefault(false);
  pClose->setAutoDefault(false);
  m_pReconnect->setAutoDefault(false);
  m_pLog->setAutoDefault(false);
  pClear->setAutoDefault(false);
  setTabOrder(m_pInput, m_pLineEnd);
  Connect();
  m_pInput->setFocus();
}

CSerialTerminalDlg::~CSerialTerminalDlg() { m_session.Close(); }

void CSerialTerminalDlg::Connect() {
  std::string sError;
  const KESTO_RECORD& device = m_session.Device();
  const QString sWhere = QStringLiteral("%1:%2").arg(QString::fromStdString(FormatAddress(device.dwIPAddress))).arg(device.iPort);
  if (m_session.Connect(kConnectTimeoutMs, &sError)) {
    ShowState(QStringLiteral("Connected to %1.").arg(sWhere));
    m_pTimer->start();
  } else {
    ShowState(QString::fromStdString(sError));
    m_pTimer->stop();
  }
  UpdateCommands();
}

void CSerialTerminalDlg::PollLine() {
  std::string sEnded;
  const std::string sShown = m_session.Poll(&sEnded);
  if (!sShown.empty()) {
    m_pOutput->moveCursor(QTextCursor::End);
    m_pOutput->insertPlainText(QString::fromStdString(sShown));
    m_pOutput->moveCursor(QTextCursor::End);
  }
  if (!sEnded.empty()) {
    m_pTimer->stop();
    ShowState(QString::fromStdString(sEnded) + QStringLiteral(". Reconnect tries again."));
    UpdateCommands();
  }
}

void CSerialTerminalDlg::SendLine() {
  std::string sError;
  const char* pszEnd = kLineEnds[std::max(0, m_pLineEnd->currentIndex())].pszBytes;
  if (!m_session.Send(m_pInput->text().toStdString(), m_pSendHex->isChecked(), pszEnd, &sError)) {
    ShowState(QStringLiteral("Not sent: %1").arg(QString::fromStdString(sError)));
    UpdateCommands();
    return;
  }
  m_pInput->clear();
}

void CSerialTerminalDlg::ChooseLog() {
  const QString sPath = QFileDialog::getSaveFileName(this, QStringLiteral("Log the Serial Line To"), QString(),
                                                     QStringLiteral("Log files (*.log);;All files (*)"),
                                                     nullptr, QFileDialog::DontConfirmOverwrite);
  if (sPath.isEmpty()) return;
  std::string sError;
  if (m_session.StartLog(sPath.toStdString(), &sError))
    ShowState(QStringLiteral("Both directions are appended to %1.").arg(sPath));
  else
    ShowState(QString::fromStdString(sError));
}

void CSerialTerminalDlg::ShowState(const QString& sText) { m_pState->setText(sText); }

void CSerialTerminalDlg::UpdateCommands() {
  const bool bConnected = m_session.IsConnected();
  m_pInput->setEnabled(bConnected);
  m_pSend->setEnabled(bConnected);
  m_pReconnect->setEnabled(!bConnected);
  if (bConnected) m_pInput->setFocus();
}
