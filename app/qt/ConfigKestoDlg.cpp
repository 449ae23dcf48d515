#include "app/qt/ConfigKestoDlg.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "app/qt/DialogUnits.h"
#include "app/qt/ModalRun.h"
#include "app/qt/IPAddressEdit.h"
#include "app/qt/ProgramIcon.h"
#include "app/logic/ConfigKestoModel.h"

namespace {

QStringList ToStringList(const std::vector<std::string>& items) {
  QStringList list;
  for (const std::string& s : items) list << QString::fromLocal8Bit(s.c_str());
  return list;
}

// Labels keep their place but may grow, so a wider font never cuts their text.
QLabel* AddLabel(QWidget* pParent, const CDialogUnits& du, const char* pszText, int x, int y, int cx, int cy) {
  auto* pLabel = new QLabel(QString::fromLatin1(pszText), pParent);
  QRect rect = du.Rect(x, y, cx, cy);
  rect.setWidth(std::max(rect.width(), pLabel->sizeHint().width()));
  rect.setHeight(std::max(rect.height(), pLabel->sizeHint().height()));
  pLabel->setGeometry(rect);
  return pLabel;
}

// A drop-down list's height in the template includes its opened part; closed it
// is as tall as the toolkit draws it.
QComboBox* AddDropDown(QWidget* pParent, const CDialogUnits& du, int x, int y, int cx) {
  auto* pCombo = new QComboBox(pParent);
  pCombo->setGeometry(du.X(x), du.Y(y), du.X(cx), pCombo->sizeHint().height());
  return pCombo;
}

}  // namespace

CConfigKestoDlg::CConfigKestoDlg(CConfigKestoModel& model, QWidget* pParent) : QDialog(pParent), m_model(model) {
  const CDialogUnits du;
  setWindowTitle(QStringLiteral("Kesto Configuration"));
  setWindowIcon(ProgramIcon());
  setFixedSize(du.Size(184, 198));

  // Created in template order, which is also the stacking and Tab order.
  m_pSet = new QPushButton(QStringLiteral("Set Configuration"), this);
  m_pSet->setGeometry(du.Rect(94, 180, 86, 14));
  m_pSet->setDefault(true);
  m_pCancel = new QPushButton(QStringLiteral("Cancel"), this);
  m_pCancel->setGeometry(du.Rect(38, 180, 50, 14));

  static const struct {
    const char* pszLabel;
    int y, yLabel, cxLabel;
  } kAddressRows[4] = {
      {"IP Address", 22, 25, 35}, {"Net Mask", 41, 44, 32}, {"Gateway", 60, 62, 29}, {"DNS", 78, 81, 16}};
  for (int i = 0; i < 4; ++i) {
    m_pAddress[i] = new CIPAddressEdit(this);
    m_pAddress[i]->setGeometry(du.Rect(80, kAddressRows[i].y, 100, 15));
    AddLabel(this, du, kAddressRows[i].pszLabel, 4, kAddressRows[i].yLabel, kAddressRows[i].cxLabel, 8);
  }

  m_pType = AddDropDown(this, du, 80, 99, 100);
  AddLabel(this, du, "Type", 4, 101, 17, 8);
  AddLabel(this, du, "Name", 4, 7, 20, 8);
  m_pName = new QLineEdit(this);
  m_pName->setGeometry(du.Rect(80, 4, 100, 14));
  // One character per stored byte: the record's names are Latin-1. A name the device
  // sent full (28 bytes) still shows whole.
  m_pName->setMaxLength(static_cast<int>(m_model.GetNameLimit()));

  auto* pGroup = new QGroupBox(QStringLiteral("Pass-Through Settings"), this);
  pGroup->setGeometry(du.Rect(4, 120, 176, 53));
  AddLabel(this, du, "Protocol", 10, 137, 27, 8);
  m_pProtocol = AddDropDown(this, du, 80, 134, 92);
  AddLabel(this, du, "Baud Rate", 10, 154, 35, 8);
  m_pBaud = AddDropDown(this, du, 80, 152, 92);

  // Top to bottom as the fields stand, the buttons last.
  QWidget* tabChain[] = {m_pName,     m_pAddress[0], m_pAddress[1], m_pAddress[2], m_pAddress[3],
                         m_pType,     m_pProtocol,   m_pBaud,       m_pSet,        m_pCancel};
  for (size_t i = 0; i + 1 < std::size(tabChain); ++i) setTabOrder(tabChain[i], tabChain[i + 1]);

  // Fill from the model, then listen, so filling does not count as a choice.
  for (int i = 0; i < 4; ++i)
    m_pAddress[i]->setAddress(m_model.GetAddress(static_cast<CConfigKestoModel::Address>(i)));
  m_pType->addItems(ToStringList(m_model.GetTypeItems()));
  m_pType->setCurrentIndex(m_model.GetTypeSelection());
  m_pName->setText(QString::fromLatin1(m_model.GetName().data(), static_cast<qsizetype>(m_model.GetName().size())));
  m_pProtocol->addItems(ToStringList(CConfigKestoModel::GetProtocolItems()));
  m_pProtocol->setCurrentIndex(m_model.GetProtocolSelection());
  m_pBaud->addItems(ToStringList(CConfigKestoModel::GetBaudItems()));
  m_pBaud->setCurrentIndex(m_model.GetBaudSelection());
  UpdatePassThrough();

  connect(m_pType, &QComboBox::currentIndexChanged, this, &CConfigKestoDlg::OnSelchangeType);
  connect(m_pSet, &QPushButton::clicked, this, &CConfigKestoDlg::OnSetConfiguration);
  connect(m_pCancel, &QPushButton::clicked, this, &QDialog::reject);
  m_pName->setFocus(Qt::OtherFocusReason);
}

bool CConfigKestoDlg::RunModal(const std::function<void()>& fnPass, const std::function<void(int)>& fnPause) {
  return RunModalWithPasses(*this, m_pName, fnPass, fnPause);
}

void CConfigKestoDlg::OnSelchangeType(int iIndex) {
  m_model.SetTypeSelection(iIndex);
  UpdatePassThrough();
}


void CConfigKestoDlg::OnSetConfiguration() {
  // Never through the locale: the model takes UTF-8 and keeps Latin-1 bytes, refusing
  // what has none, so nothing is sent with a character silently replaced.
  std::string sError;
  if (!m_model.SetName(m_pName->text().toUtf8().toStdString(), &sError)) {
    if (m_pNameMessage != nullptr) m_pNameMessage->deleteLater();
    m_pNameMessage = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                     QStringLiteral("Name: %1. Nothing was sent.").arg(QString::fromStdString(sError)),
                                     QMessageBox::Ok, this);
    m_pNameMessage->setAttribute(Qt::WA_DeleteOnClose, false);
    // Not waited for, so the polling loop goes on while the message shows.
    m_pNameMessage->open();
    m_pName->setFocus(Qt::OtherFocusReason);
    return;
  }
  const CConfigAddressCheck::Result result =
      m_model.CheckAddresses(m_pAddress[0]->address(), m_pAddress[1]->address(), m_pAddress[2]->address(), m_others);
  if (result.problem == CConfigAddressCheck::kNone) {
    Confirm();
    return;
  }
  // Window-modal and not waited for, so the polling loop keeps turning behind it.
  if (m_pCheckMessage != nullptr) m_pCheckMessage->deleteLater();
  m_pCheckMessage = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                    QString::fromLocal8Bit(result.sText.c_str()), QMessageBox::NoButton, this);
  m_pCheckMessage->setInformativeText(QStringLiteral("Nothing has been sent yet."));
  QPushButton* pSend = m_pCheckMessage->addButton(QStringLiteral("&Send anyway"), QMessageBox::AcceptRole);
  // Enter, even pressed twice, must never send what the check refused.
  QPushButton* pChange = m_pCheckMessage->addButton(QStringLiteral("&Change address"), QMessageBox::RejectRole);
  pSend->setAutoDefault(false);
  m_pCheckMessage->setDefaultButton(pChange);
  m_pCheckMessage->setEscapeButton(pChange);
  pChange->setFocus(Qt::OtherFocusReason);
  connect(pSend, &QPushButton::clicked, this, [this] { Confirm(); });
  // Back to the field the check names, ready to be corrected.
  const int iField = result.problem == CConfigAddressCheck::kNetMask ? 1 : result.problem == CConfigAddressCheck::kGateway ? 2 : 0;
  connect(pChange, &QPushButton::clicked, this, [this, iField] { m_pAddress[iField]->setFocus(Qt::OtherFocusReason); });
  m_pCheckMessage->open();
}

void CConfigKestoDlg::Confirm() {
  std::string sError;
  m_model.SetName(m_pName->text().toUtf8().toStdString(), &sError);  // checked before, in OnSetConfiguration
  for (int i = 0; i < 4; ++i)
    m_model.SetAddress(static_cast<CConfigKestoModel::Address>(i), m_pAddress[i]->address());
  m_model.SetTypeSelection(m_pType->currentIndex());
  m_model.SetProtocolSelection(m_pProtocol->currentIndex());
  m_model.SetBaudSelection(m_pBaud->currentIndex());
  m_model.Confirm();
  accept();
}

void CConfigKestoDlg::UpdatePassThrough() {
  m_pType->setToolTip(QString::fromLocal8Bit(m_model.TypeToolTip().c_str()));
  const bool bEnabled = m_model.IsPassThroughEnabled();
  m_pProtocol->setEnabled(bEnabled);
  m_pBaud->setEnabled(bEnabled);
}
