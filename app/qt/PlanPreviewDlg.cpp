#include "app/qt/PlanPreviewDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/DialogUnits.h"
#include "app/qt/PlanPreviewList.h"
#include "app/qt/ProgramIcon.h"
#include "app/logic/PlanPreviewTable.h"

namespace {

// Addresses named as shared before "and N more".
constexpr size_t kSharedShown = 5;

}  // namespace

CPlanPreviewDlg::CPlanPreviewDlg(const QString& sFileName, PlanPreview preview, QWidget* pParent)
    : QDialog(pParent),
      m_preview(std::move(preview)),
      m_pList(new CPlanPreviewList(this)),
      m_pSummary(new QLabel(this)),
      m_pApply(new QPushButton(this)) {
  const CDialogUnits du;
  setWindowTitle(QStringLiteral("Apply plan"));
  setWindowIcon(ProgramIcon());
  auto* pIntro = new QLabel(QStringLiteral("%1 against the devices listed now (nothing is sent until you apply it):")
                                .arg(sFileName),
                            this);
  pIntro->setTextFormat(Qt::PlainText);
  pIntro->setWordWrap(true);
  m_pList->ShowPreview(m_preview);

  QString sSummary = QString::fromStdString(CPlanPreviewTable::SummaryText(m_preview)) + u'.';
  const std::vector<std::string> shared = CPlanPreviewTable::SharedIPTexts(m_preview);
  for (size_t i = 0; i < shared.size() && i < kSharedShown; ++i)
    sSummary += QStringLiteral("\nWarning: ") + QString::fromStdString(shared[i]);
  if (shared.size() > kSharedShown)
    sSummary += QStringLiteral("\n(and %1 more shared addresses)").arg(shared.size() - kSharedShown);
  const std::vector<std::string> problems = m_preview.AddressProblems();
  for (size_t i = 0; i < problems.size() && i < kSharedShown; ++i)
    sSummary += QStringLiteral("\nWarning: ") + QString::fromStdString(problems[i]);
  if (problems.size() > kSharedShown)
    sSummary += QStringLiteral("\n(and %1 more address problems)").arg(problems.size() - kSharedShown);
  const bool bRefused = PlanMakesSharedIP(m_preview);
  if (bRefused) sSummary += QStringLiteral("\nThe plan would give an address to more than one device: it cannot be applied.");
  m_pSummary->setText(sSummary);
  m_pSummary->setTextFormat(Qt::PlainText);
  m_pSummary->setWordWrap(true);

  const size_t nChanged = m_preview.CountChanged();
  // Addresses the rule refuses go out only on a deliberate click: never the default button.
  m_pApply->setText(QStringLiteral("%1 to %2 %3")
                        .arg(problems.empty() ? QStringLiteral("&Apply") : QStringLiteral("&Send anyway"))
                        .arg(nChanged)
                        .arg(nChanged == 1 ? "device" : "devices"));
  m_pApply->setEnabled(nChanged > 0 && !bRefused);
  auto* pCancel = new QPushButton(QStringLiteral("Cancel"), this);
  (problems.empty() ? m_pApply : pCancel)->setDefault(true);
  auto* pButtons = new QHBoxLayout;
  pButtons->addStretch(1);
  pButtons->addWidget(m_pApply);
  pButtons->addWidget(pCancel);

  auto* pLayout = new QVBoxLayout(this);
  pLayout->addWidget(pIntro);
  pLayout->addWidget(m_pList, 1);
  pLayout->addWidget(m_pSummary);
  pLayout->addLayout(pButtons);
  resize(du.Size(420, 200));
  connect(m_pApply, &QPushButton::clicked, this, &QDialog::accept);
  connect(pCancel, &QPushButton::clicked, this, &QDialog::reject);
}
