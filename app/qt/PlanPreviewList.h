#ifndef KESTO_APP_PLANPREVIEWLIST_H
#define KESTO_APP_PLANPREVIEWLIST_H

#include <QTreeWidget>

#include "plan/PlanPreview.h"

// A plan's preview as a list: each planned device's name, MAC and what would
// change, old -> new. Shown before anything is sent; a long change is
// scrolled to rather than cut.
class CPlanPreviewList : public QTreeWidget {
  Q_OBJECT

 public:
  explicit CPlanPreviewList(QWidget* pParent = nullptr);
  void ShowPreview(const PlanPreview& preview);

 protected:
  void resizeEvent(QResizeEvent* pEvent) override;

 private:
  // The changes column fills the list, or takes its longest text with a scroll bar.
  void FitChangesColumn();
  int m_iChangesWidth = 0;
};

#endif
