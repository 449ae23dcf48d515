#include "app/qt/PlanPreviewList.h"

#include <QHeaderView>
#include <algorithm>

#include "app/logic/PlanPreviewTable.h"

CPlanPreviewList::CPlanPreviewList(QWidget* pParent) : QTreeWidget(pParent) {
  setColumnCount(3);
  setHeaderLabels({QStringLiteral("Name"), QStringLiteral("MAC Address"), QStringLiteral("Changes (old -> new)")});
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::NoSelection);
  setFocusPolicy(Qt::NoFocus);
  const QFontMetrics metrics(font());
  setColumnWidth(0, metrics.horizontalAdvance(QStringLiteral("Attic ventilation")) + 16);
  setColumnWidth(1, metrics.horizontalAdvance(QStringLiteral("00-DD-DD-DD-DD-DD")) + 16);
  // The changes column takes its longest text, with a scroll bar rather than a cut.
  header()->setStretchLastSection(false);
}

void CPlanPreviewList::ShowPreview(const PlanPreview& preview) {
  clear();
  QList<QTreeWidgetItem*> items;
  for (const CPlanPreviewTable::Row& row : CPlanPreviewTable::Rows(preview)) {
    auto* pItem = new QTreeWidgetItem({QString::fromUtf8(row.sName.c_str()), QString::fromStdString(row.sMAC),
                                       QString::fromUtf8(row.sChanges.c_str())});
    // A cut change is read in full from its tooltip.
    pItem->setToolTip(2, pItem->text(2));
    if (!row.bChanges) pItem->setForeground(2, palette().brush(QPalette::PlaceholderText));
    items << pItem;
  }
  addTopLevelItems(items);
  resizeColumnToContents(2);
  m_iChangesWidth = columnWidth(2) + 16;
  FitChangesColumn();
}

void CPlanPreviewList::FitChangesColumn() {
  setColumnWidth(2, std::max(m_iChangesWidth, viewport()->width() - columnWidth(0) - columnWidth(1)));
}

void CPlanPreviewList::resizeEvent(QResizeEvent* pEvent) {
  QTreeWidget::resizeEvent(pEvent);
  FitChangesColumn();
}
