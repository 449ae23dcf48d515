#include "app/qt/PlanPreviewDlg.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/DialogUnits.h"
#include "app/qt/PlanDialogFoot.h"
#include "app/qt/PlanPreviewList.h"
#include "app/qt/ProgramIcon.h"
#include "app/logic/PlanPreviewTable.h"

CPlanPreviewDlg::CPlanPreviewDlg(const QString& sFileName, PlanPreview preview, QWidget* pParent)
    : QDialog(pParent),
      m_preview(std::move(preview)),
      m_pList(new CPlanPreviewList(this)),
      m_pSummary(new QLabel(this)),
      m_pApply(new QPushButton(this)) {
  const CDialogUnits du;
  setWindowTitle(QStringLiteral("Apply plan"));
  setWindowIcon(ProgramIcon());
  auto* pIntro = new QLabel(QString::fromStdString(CPlanPreviewTable::IntroText(sFileName.toStdString())), this);
  pIntro->setTextFormat(Qt::PlainText);
  pIntro->setWordWrap(true);
  m_pList->ShowPreview(m_preview);

  const bool bRefused = PlanMakesSharedIP(m_preview);
  m_pSummary->setText(QString::fromStdString(CPlanPreviewTable::SummaryWithWarnings(m_preview)));
  // Addresses the rule refuses go out only on a deliberate click: never the default button.
  const bool bProblems = !m_preview.AddressProblems().empty();
  m_pApply->setText(QString::fromStdString(CPlanPreviewTable::ApplyText(m_preview, bProblems)));
  m_pApply->setEnabled(m_preview.CountChanged() > 0 && !bRefused);

  auto* pLayout = new QVBoxLayout(this);
  pLayout->addWidget(pIntro);
  AddPlanDialogFoot(*this, pLayout, m_pList, m_pSummary, m_pApply, !bProblems);
  resize(du.Size(420, 200));
  connect(m_pApply, &QPushButton::clicked, this, &QDialog::accept);
}
