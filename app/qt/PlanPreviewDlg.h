#ifndef KESTO_APP_PLANPREVIEWDLG_H
#define KESTO_APP_PLANPREVIEWDLG_H

#include <QDialog>

#include "plan/PlanPreview.h"

class CPlanPreviewList;
class QLabel;
class QPushButton;

// "Apply plan": a plan file's preview against the listed devices, sent only
// when the user applies it.
class CPlanPreviewDlg : public QDialog {
  Q_OBJECT

 public:
  CPlanPreviewDlg(const QString& sFileName, PlanPreview preview, QWidget* pParent = nullptr);

  const PlanPreview& GetPreview() const { return m_preview; }
  CPlanPreviewList* GetPreviewList() const { return m_pList; }
  QLabel* GetSummaryLabel() const { return m_pSummary; }
  QPushButton* GetApplyButton() const { return m_pApply; }

 private:
  PlanPreview m_preview;
  CPlanPreviewList* m_pList;
  QLabel* m_pSummary;
  QPushButton* m_pApply;
};

#endif
