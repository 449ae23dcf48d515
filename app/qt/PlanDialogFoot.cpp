#include "app/qt/PlanDialogFoot.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

void AddPlanDialogFoot(QDialog& dialog, QVBoxLayout* pLayout, QWidget* pList, QLabel* pLine, QPushButton* pApply,
                       bool bApplyDefault, QPushButton* pAside) {
  pLine->setTextFormat(Qt::PlainText);
  pLine->setWordWrap(true);
  auto* pCancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
  (bApplyDefault ? pApply : pCancel)->setDefault(true);
  auto* pButtons = new QHBoxLayout;
  if (pAside != nullptr) {
    pAside->setAutoDefault(false);
    pButtons->addWidget(pAside);
  }
  pButtons->addStretch(1);
  pButtons->addWidget(pApply);
  pButtons->addWidget(pCancel);
  pLayout->addWidget(pList, 1);
  pLayout->addWidget(pLine);
  pLayout->addLayout(pButtons);
  QObject::connect(pCancel, &QPushButton::clicked, &dialog, &QDialog::reject);
}
