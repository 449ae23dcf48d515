#ifndef KESTO_APP_PLANPREVIEWLIST_H
#define KESTO_APP_PLANPREVIEWLIST_H

#include <QTreeWidget>

#include "plan/PlanPreview.h"

// A plan's preview as a list: each planned device's name, MAC and what would
// change, old -> new. Shown before anything is sent.
class CPlanPreviewList : public QTreeWidget {
  Q_OBJECT

 public:
  explicit CPlanPreviewList(QWidget* pParent = nullptr);
  void ShowPreview(const PlanPreview& preview);
};

#endif
