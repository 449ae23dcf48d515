#ifndef KESTO_TESTS_APP_WINDOWDRIVER_H
#define KESTO_TESTS_APP_WINDOWDRIVER_H

// Finds the main window's widgets by their object names and uses the device list
// as a user does: clicks on rows and header sections, tooltips asked by hovering.
#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QIcon>
#include <QStringList>
#include <QTest>
#include <QToolTip>
#include <QTreeView>
#include <QWidget>

namespace window_driver {

// Aborts the test program when a widget is missing: every later step would only fail less clearly.
template <class T>
T* Find(const QWidget* pWindow, const char* pszName) {
  T* pWidget = pWindow->findChild<T*>(QString::fromLatin1(pszName));
  if (pWidget == nullptr) qFatal("no widget named %s", pszName);
  return pWidget;
}

inline QTreeView* DeviceList(const QWidget* pWindow) { return Find<QTreeView>(pWindow, "deviceList"); }

inline int RowCount(const QTreeView* pList) { return pList->model()->rowCount(); }

inline QString Cell(const QTreeView* pList, int iRow, int iColumn) {
  return pList->model()->index(iRow, iColumn).data().toString();
}

inline QIcon RowIcon(const QTreeView* pList, int iRow) {
  return pList->model()->index(iRow, 0).data(Qt::DecorationRole).value<QIcon>();
}

// One column's texts, top row first.
inline QStringList Column(const QTreeView* pList, int iColumn) {
  QStringList texts;
  for (int i = 0; i < RowCount(pList); ++i) texts << Cell(pList, i, iColumn);
  return texts;
}

// The first column's texts of the selected rows, top first.
inline QStringList SelectedNames(const QTreeView* pList) {
  QStringList names;
  for (int i = 0; i < RowCount(pList); ++i)
    if (pList->selectionModel()->isRowSelected(i, QModelIndex())) names << Cell(pList, i, 0);
  return names;
}

// Scrolls the row into view and clicks its first cell.
inline void ClickRow(QTreeView* pList, int iRow, Qt::KeyboardModifiers modifiers = {}) {
  const QModelIndex index = pList->model()->index(iRow, 0);
  pList->scrollTo(index);
  QTest::mouseClick(pList->viewport(), Qt::LeftButton, modifiers, pList->visualRect(index).center());
}

inline void DoubleClickRow(QTreeView* pList, int iRow) {
  const QModelIndex index = pList->model()->index(iRow, 0);
  pList->scrollTo(index);
  QTest::mouseDClick(pList->viewport(), Qt::LeftButton, {}, pList->visualRect(index).center());
}

// A click in the middle of the header section's rectangle.
inline void ClickHeader(QTreeView* pList, int iSection) {
  QHeaderView* pHeader = pList->header();
  const QPoint at(pHeader->sectionViewportPosition(iSection) + pHeader->sectionSize(iSection) / 2,
                  pHeader->viewport()->height() / 2);
  QTest::mouseClick(pHeader->viewport(), Qt::LeftButton, {}, at);
}

// What the tooltip says when the mouse rests on the cell; empty when none shows.
inline QString ToolTipAt(QTreeView* pList, int iRow, int iColumn) {
  const QModelIndex index = pList->model()->index(iRow, iColumn);
  pList->scrollTo(index);
  const QPoint at = pList->visualRect(index).center();
  QToolTip::hideText();
  QHelpEvent event(QEvent::ToolTip, at, pList->viewport()->mapToGlobal(at));
  QApplication::sendEvent(pList->viewport(), &event);
  return QToolTip::isVisible() ? QToolTip::text() : QString();
}

}  // namespace window_driver

#endif
