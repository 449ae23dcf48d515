// The main window's rows: the presenter's list calls, the order the user
// picked, the extra columns and the adapter box's texts.
#include "app/qt/QUORINDlg.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QScrollBar>
#include <QTreeView>
#include <algorithm>

#include "app/logic/DeviceColumnSet.h"
#include "app/logic/WindowTexts.h"
#include "app/qt/DeviceTableModel.h"
#include "formats/DeviceRowTexts.h"

void CQUORINDlg::InsertTopRow(DeviceRowKey key, const DeviceRowTexts&, bool bShown) {
  // The texts are made again from the record when a row is painted; only the record is kept.
  const KESTO_RECORD record = RecordOf(key);
  m_rows.Insert(key, record, bShown);
  m_iNameNeed = std::max(m_iNameNeed, NameWidthFor(record));
  m_bAnyAnswer = true;
}

void CQUORINDlg::SetRowTexts(DeviceRowKey key, const DeviceRowTexts&) {
  const KESTO_RECORD record = RecordOf(key);
  m_rows.SetRecord(key, record);
  m_iNameNeed = std::max(m_iNameNeed, NameWidthFor(record));
}

void CQUORINDlg::SetRowShown(DeviceRowKey key, bool bShown) { m_rows.SetShown(key, bShown); }

void CQUORINDlg::SetRowMarks(DeviceRowKey key, bool bWarning) {
  // Settings that were sent but never showed up in an answer must not look settled.
  m_rows.SetMark(key, bWarning                           ? CDeviceRowStore::kWarning
                      : m_presenter.IsRowUnsettled(key) ? CDeviceRowStore::kUnsettled
                                                        : CDeviceRowStore::kNoMark);
}

void CQUORINDlg::DeleteRow(DeviceRowKey key) { m_rows.Delete(key); }

bool CQUORINDlg::GetSelectedRow(DeviceRowKey* pKey) const {
  const std::vector<DeviceRowKey> keys = GetSelectedRows();
  if (keys.empty()) return false;
  *pKey = keys.front();
  return true;
}

std::vector<DeviceRowKey> CQUORINDlg::GetSelectedRows() const {
  // In the order the list shows them, which is the order a range of addresses is given in.
  QModelIndexList selected = m_ctlList->selectionModel()->selectedRows();
  std::sort(selected.begin(), selected.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  std::vector<DeviceRowKey> keys;
  keys.reserve(static_cast<size_t>(selected.size()));
  for (const QModelIndex& index : selected)
    if (const CDeviceRowStore::Row* pRow = m_pModel->RowAt(index.row())) keys.push_back(pRow->key);
  return keys;
}

void CQUORINDlg::SetAdapterNames(const std::vector<std::string>& names) {
  const QString sSelected = QString::fromStdString(m_presenter.GetSelectedAdapter());
  while (m_pAdapter->count() > 1) m_pAdapter->removeItem(1);
  for (const std::string& sName : names) {
    const QString sItem = QString::fromStdString(sName);
    m_pAdapter->addItem(sItem, sItem);
  }
  m_pAdapter->setCurrentIndex(std::max(0, m_pAdapter->findData(sSelected)));
  UpdateAdapterTexts();
}

void CQUORINDlg::UpdateAdapterTexts() {
  m_qwAdapterTableVersion = m_finder->GetInterfaceSnapshot().GetVersion();
  const std::vector<platform::NetInterface>& table = m_presenter.GetInterfaces();
  m_bNoUsableAdapter = UsableInterfaceNames(table).empty();
  // "eth0  192.168.1.5/24": which network each choice reaches.
  for (int i = 1; i < m_pAdapter->count(); ++i)
    m_pAdapter->setItemText(
        i, QString::fromStdString(CWindowTexts::AdapterChoice(m_pAdapter->itemData(i).toString().toStdString(), table)));
}

void CQUORINDlg::SetStatusText(const std::string& sText) { AddStatus(sText); }

void CQUORINDlg::AddStatus(const std::string& sText) {
  m_history.Add(sText);
  m_pStatus->setText(QString::fromStdString(m_history.Latest()));
  m_pStatus->setToolTip(m_history.IsEmpty() ? QString()
                                            : QString::fromStdString(m_history.AllLines()) +
                                                  QStringLiteral("\n\n(right-click to clear)"));
}

KESTO_RECORD CQUORINDlg::RecordOf(DeviceRowKey key) const {
  KESTO_RECORD probe{};
  MacFromKey(key, probe.byMAC);
  const CKestoInfo* pEntry = m_finder->FindByMAC(probe);
  return pEntry != nullptr ? pEntry->GetRecord() : probe;
}

uint32_t CQUORINDlg::AgeOf(DeviceRowKey key) const {
  KESTO_RECORD probe{};
  MacFromKey(key, probe.byMAC);
  const CKestoInfo* pEntry = m_finder->FindByMAC(probe);
  return pEntry != nullptr ? static_cast<uint32_t>(m_finder->Now() - pEntry->dwLastSeen) : 0;
}

void CQUORINDlg::RefreshLastSeen(uint32_t dwNow) {
  m_dwLastSeenShown = dwNow;
  // One change for the whole column; a re-sort by age moves rows, never re-inserts them.
  m_pModel->RefreshColumn(CDeviceColumnSet::kLastSeen);
  if (m_rows.GetOrder().GetColumn() == CDeviceColumnSet::kLastSeen) {
    m_rows.RefreshSortKeys();
    SyncList();
  }
}

void CQUORINDlg::SyncList() {
  // The current row keeps its place on screen when it is in view; otherwise the top row does,
  // unless the list is scrolled to its top, where new devices arrive.
  QScrollBar* pBar = m_ctlList->verticalScrollBar();
  const QModelIndex current = m_ctlList->currentIndex();
  const QRect viewport = m_ctlList->viewport()->rect();
  QPersistentModelIndex anchor;
  int iAnchorY = 0;
  if (current.isValid() && viewport.intersects(m_ctlList->visualRect(current)))
    anchor = current;
  else if (pBar->value() > 0)
    anchor = m_ctlList->indexAt(QPoint(1, 1));
  if (anchor.isValid()) iAnchorY = m_ctlList->visualRect(anchor).top();
  m_pModel->Sync();
  if (anchor.isValid()) {
    const int iDelta = m_ctlList->visualRect(anchor).top() - iAnchorY;
    if (iDelta != 0) pBar->setValue(pBar->value() + iDelta);
  }
}

int CQUORINDlg::NameWidthFor(const KESTO_RECORD& record) const {
  const QFontMetrics metrics(m_ctlList->font());
  const QString sName = QString::fromStdString(RowTextsOf(record)[0]);
  return metrics.horizontalAdvance(sName) + m_ctlList->iconSize().width() + 8 +
         2 * (m_ctlList->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_ctlList) + 1) + 8;
}

void CQUORINDlg::FitNameColumn() {
  if (m_bNameSized || m_ctlList->isColumnHidden(0)) return;
  const int iWidth = m_ctlList->columnWidth(0);
  if (m_iNameNeed <= iWidth) return;
  // The room the other columns leave; the last one stretches over what is left, so its own need counts.
  QHeaderView* pHeader = m_ctlList->header();
  int iOthers = 0, iLast = -1;
  for (int i = 1; i < CDeviceColumnSet::kCount; ++i)
    if (!m_ctlList->isColumnHidden(i)) iLast = i;
  for (int i = 1; i < CDeviceColumnSet::kCount; ++i)
    if (!m_ctlList->isColumnHidden(i))
      iOthers += i == iLast ? std::min(pHeader->sectionSize(i), CDeviceColumnSet::Get(i).iWidth) : pHeader->sectionSize(i);
  const int iRoom = m_ctlList->viewport()->width() - iOthers;
  const int iNew = std::min(m_iNameNeed, std::max(iWidth, iRoom));
  if (iNew <= iWidth) return;
  m_bSizingName = true;
  m_ctlList->setColumnWidth(0, iNew);
  m_bSizingName = false;
}

void CQUORINDlg::SetSortOrder(const CDeviceSortOrder& order) {
  const bool bShown = order.IsNewestFirst() || !m_ctlList->isColumnHidden(order.GetColumn());
  m_rows.SetOrder(bShown ? order : CDeviceSortOrder());
  ShowSortIndicator();
  SyncList();
  if (m_ctlList->currentIndex().isValid()) m_ctlList->scrollTo(m_ctlList->currentIndex());
}

void CQUORINDlg::ShowSortIndicator() {
  const CDeviceSortOrder& order = m_rows.GetOrder();
  QHeaderView* pHeader = m_ctlList->header();
  pHeader->setSortIndicatorShown(!order.IsNewestFirst());
  if (!order.IsNewestFirst())
    pHeader->setSortIndicator(order.GetColumn(), order.IsAscending() ? Qt::AscendingOrder : Qt::DescendingOrder);
  m_pNewestFirst->setEnabled(!order.IsNewestFirst());
  m_pNewestFirst->setToolTip(QString::fromStdString(CWindowTexts::NewestFirstTip(order.IsNewestFirst())));
}

void CQUORINDlg::OnHeaderClicked(int iColumn) {
  CDeviceSortOrder order = m_rows.GetOrder();
  order.Click(iColumn);
  SetSortOrder(order);
}

void CQUORINDlg::FitColumns() {
  m_bSizingName = true;
  for (int i = 0; i < CDeviceColumnSet::kCount; ++i)
    if (!m_ctlList->isColumnHidden(i)) {
      m_ctlList->resizeColumnToContents(i);
      m_ctlList->setColumnWidth(i, m_ctlList->columnWidth(i) + 8);  // a little air between columns
    }
  m_bSizingName = false;
}

void CQUORINDlg::SetColumnShown(int iColumn, bool bShown) {
  if (iColumn < CDeviceColumnSet::kDefaultCount || iColumn >= CDeviceColumnSet::kCount) return;
  // The column that stretched over the free room goes back to its own width, so the new one stands in view.
  int iLast = -1;
  for (int i = 0; i < CDeviceColumnSet::kCount; ++i)
    if (!m_ctlList->isColumnHidden(i)) iLast = i;
  m_ctlList->setColumnHidden(iColumn, !bShown);
  if (bShown) {
    if (m_ctlList->columnWidth(iColumn) < 10) m_ctlList->setColumnWidth(iColumn, CDeviceColumnSet::Get(iColumn).iWidth);
    if (iLast >= 0 && iLast < iColumn) m_ctlList->setColumnWidth(iLast, CDeviceColumnSet::Get(iLast).iWidth);
    m_ctlList->scrollTo(m_pModel->index(std::max(0, m_ctlList->currentIndex().row()), iColumn));
  }
  if (!bShown && m_rows.GetOrder().GetColumn() == iColumn) SetSortOrder(CDeviceSortOrder());
  if (bShown && iColumn == CDeviceColumnSet::kLastSeen) RefreshLastSeen(m_finder->Now());
}
