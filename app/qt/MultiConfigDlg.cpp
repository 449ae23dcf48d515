#include "app/qt/MultiConfigDlg.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/DialogUnits.h"
#include "app/qt/ModalRun.h"
#include "app/qt/PlanDialogFoot.h"
#include "app/qt/PlanPreviewList.h"
#include "app/qt/ProgramIcon.h"
#include "app/logic/MultiConfigForm.h"
#include "app/logic/PlanPreviewTable.h"
#include "app/logic/WindowTexts.h"

namespace {

constexpr const char* kUnchanged = CPlanPreviewTable::kUnchanged;

QComboBox* ChoiceList(const std::vector<std::string>& items, QWidget* pParent) {
  auto* pCombo = new QComboBox(pParent);
  pCombo->addItem(QString::fromLatin1(kUnchanged));
  for (const std::string& sItem : items) pCombo->addItem(QString::fromStdString(sItem));
  return pCombo;
}

QLineEdit* AddressEdit(const QString& sPlaceholder, QWidget* pParent) {
  auto* pEdit = new QLineEdit(pParent);
  pEdit->setPlaceholderText(sPlaceholder);
  pEdit->setMaxLength(15);
  return pEdit;
}

}  // namespace

CMultiConfigDlg::CMultiConfigDlg(CMultiConfigForm& form, QWidget* pParent)
    : QDialog(pParent),
      m_form(form),
      m_pName(new QLineEdit(this)),
      m_pFirstIP(AddressEdit(QString::fromLatin1(kUnchanged), this)),
      m_pLastIP(AddressEdit(QStringLiteral("end of its subnet"), this)),
      m_pNetMask(AddressEdit(QString::fromLatin1(kUnchanged), this)),
      m_pGateway(AddressEdit(QString::fromLatin1(kUnchanged), this)),
      m_pDNS(AddressEdit(QString::fromLatin1(kUnchanged), this)),
      m_pType(ChoiceList(CMultiConfigForm::GetTypeItems(), this)),
      m_pProtocol(ChoiceList(CMultiConfigForm::GetProtocolItems(), this)),
      m_pBaud(ChoiceList(CMultiConfigForm::GetBaudItems(), this)),
      m_pPreview(new CPlanPreviewList(this)),
      m_pProblem(new QLabel(this)),
      m_pApply(new QPushButton(this)),
      m_pSendAnyway(new QPushButton(QStringLiteral("&Send anyway"), this)) {
  const CDialogUnits du;
  const size_t nDevices = form.GetDeviceCount();
  setWindowTitle(QString::fromStdString(CWindowTexts::MultiConfigCaption(nDevices)));
  setWindowIcon(ProgramIcon());
  m_pName->setPlaceholderText(QString::fromLatin1(kUnchanged));
  m_pName->setMaxLength(27);

  auto* pIntro = new QLabel(QString::fromStdString(CWindowTexts::MultiConfigIntro(nDevices)), this);
  pIntro->setWordWrap(true);

  auto* pRange = new QHBoxLayout;
  pRange->addWidget(m_pFirstIP, 1);
  auto* pTo = new QLabel(QStringLiteral("&to"), this);
  pTo->setBuddy(m_pLastIP);
  pRange->addWidget(pTo);
  pRange->addWidget(m_pLastIP, 1);
  m_pFirstIP->setToolTip(QStringLiteral("The devices take these addresses in the list's order; an address another "
                                        "listed device holds is skipped"));

  auto* pFields = new QFormLayout;
  pFields->addRow(QStringLiteral("&Name:"), m_pName);
  auto* pRangeLabel = new QLabel(QStringLiteral("&IP addresses from:"), this);
  pRangeLabel->setBuddy(m_pFirstIP);
  pFields->addRow(pRangeLabel, pRange);
  pFields->addRow(QStringLiteral("Net &Mask:"), m_pNetMask);
  pFields->addRow(QStringLiteral("&Gateway:"), m_pGateway);
  pFields->addRow(QStringLiteral("&DNS:"), m_pDNS);
  pFields->addRow(QStringLiteral("T&ype:"), m_pType);
  pFields->addRow(QStringLiteral("&Protocol:"), m_pProtocol);
  pFields->addRow(QStringLiteral("&Baud Rate:"), m_pBaud);

  auto* pPlanLabel = new QLabel(QStringLiteral("Plan (nothing is sent until you apply it):"), this);
  // Shown only when the address rule alone refuses the plan; never the default, so Enter does not send it.
  m_pSendAnyway->setVisible(false);

  auto* pLayout = new QVBoxLayout(this);
  pLayout->addWidget(pIntro);
  pLayout->addLayout(pFields);
  pLayout->addSpacing(du.Y(3));
  pLayout->addWidget(pPlanLabel);
  AddPlanDialogFoot(*this, pLayout, m_pPreview, m_pProblem, m_pApply, true, m_pSendAnyway);
  resize(du.Size(420, 270));

  for (QLineEdit* pEdit : {m_pName, m_pFirstIP, m_pLastIP, m_pNetMask, m_pGateway, m_pDNS})
    connect(pEdit, &QLineEdit::textChanged, this, [this] { OnEdited(); });
  for (QComboBox* pCombo : {m_pType, m_pProtocol, m_pBaud})
    connect(pCombo, &QComboBox::currentIndexChanged, this, [this] { OnEdited(); });
  connect(m_pApply, &QPushButton::clicked, this, [this] {
    m_form.Confirm();
    if (m_form.IsConfirmed()) accept();
  });
  connect(m_pSendAnyway, &QPushButton::clicked, this, [this] {
    m_form.Confirm(true);
    if (m_form.IsConfirmed()) accept();
  });
  OnEdited();
}

void CMultiConfigDlg::OnEdited() {
  CMultiConfigForm::Fields fields;
  fields.sName = m_pName->text().toStdString();
  fields.sFirstIP = m_pFirstIP->text().toStdString();
  fields.sLastIP = m_pLastIP->text().toStdString();
  fields.sNetMask = m_pNetMask->text().toStdString();
  fields.sGateway = m_pGateway->text().toStdString();
  fields.sDNS = m_pDNS->text().toStdString();
  // The first entry of each list leaves the setting alone.
  fields.iType = m_pType->currentIndex() - 1;
  fields.iProtocol = m_pProtocol->currentIndex() - 1;
  fields.iBaud = m_pBaud->currentIndex() - 1;
  m_form.SetFields(fields);
  m_pPreview->ShowPreview(m_form.GetPreview());
  const PlanPreview& preview = m_form.GetPreview();
  QString sText = m_form.CanApply() ? QString::fromStdString(CPlanPreviewTable::SummaryText(preview))
                                    : QString::fromUtf8(m_form.GetProblem().c_str());
  m_pProblem->setText(sText);
  m_pApply->setText(QString::fromStdString(CPlanPreviewTable::ApplyText(preview)));
  m_pApply->setEnabled(m_form.CanApply());
  m_pSendAnyway->setVisible(m_form.MaySendAnyway());
}

bool CMultiConfigDlg::RunModal(const std::function<void()>& fnPass, const std::function<void(int)>& fnPause) {
  return RunModalWithPasses(*this, m_pName, fnPass, fnPause);
}
