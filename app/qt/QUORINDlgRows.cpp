// The main window's rows: the presenter's list calls, the order the user
// picked, the extra columns and the adapter box's texts.
#include "app/qt/QUORINDlg.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <algorithm>

#include "app/qt/DeviceItem.h"
#include "app/logic/DeviceColumnSet.h"

namespace {

QString Local(const std::string& s) { return CDeviceItem::Local(s); }
void MacOfKey(DeviceRowKey key, uint8_t byMAC[6]) { CDeviceItem::MacOfKey(key, byMAC); }

}  // namespace

void CQUORINDlg::InsertTopRow(DeviceRowKey key, const DeviceRowTexts& texts, bool bShown) {
  auto* pItem = new CDeviceItem;
  for (int i = 0; i < static_cast<int>(texts.size()); ++i) pItem->setText(i, Local(texts[i]));
  pItem->key = key;
  pItem->nSeq = ++m_nNextSeq;
  pItem->bShown = bShown;
  pItem->setData(0, Qt::UserRole, QVariant::fromValue<quint64>(key));
  // A blank icon keeps every name in line with those that carry a mark.
  static const QIcon blank = [] {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    return QIcon(pixmap);
  }();
  pItem->setIcon(0, blank);
  TakeRecord(pItem);
  FillExtraColumns(pItem, m_finder->Now());
  m_items.insert(key, pItem);
  m_bAnyAnswer = true;
  if (!bShown) ++m_nHidden;
  PlaceItem(pItem);
}

void CQUORINDlg::SetRowTexts(DeviceRowKey key, const DeviceRowTexts& texts) {
  CDeviceItem* pItem = m_items.value(key);
  if (pItem == nullptr) return;
  for (int i = 0; i < static_cast<int>(texts.size()); ++i) pItem->setText(i, Local(texts[i]));
  TakeRecord(pItem);
  FillExtraColumns(pItem, m_finder->Now());
  if (!m_order.IsNewestFirst()) PlaceItem(pItem);
}

void CQUORINDlg::SetRowShown(DeviceRowKey key, bool bShown) {
  CDeviceItem* pItem = m_items.value(key);
  if (pItem == nullptr || pItem->bShown == bShown) return;
  m_nHidden += bShown ? -1 : 1;
  pItem->bShown = bShown;
  if (!bShown) pItem->setSelected(false);
  pItem->setHidden(!bShown);
}

void CQUORINDlg::SetRowMarks(DeviceRowKey key, bool bWarning) {
  CDeviceItem* pItem = m_items.value(key);
  if (pItem == nullptr) return;
  pItem->bWarning = bWarning;
  // Settings that were sent but never showed up in an answer must not look settled.
  const bool bUnsettled = m_presenter.IsRowUnsettled(key);
  if (bWarning)
    pItem->setIcon(0, style()->standardIcon(QStyle::SP_MessageBoxWarning));
  else if (bUnsettled)
    pItem->setIcon(0, style()->standardIcon(QStyle::SP_MessageBoxQuestion));
  else {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    pItem->setIcon(0, QIcon(pixmap));
  }
}

void CQUORINDlg::DeleteRow(DeviceRowKey key) {
  CDeviceItem* pItem = m_items.take(key);
  if (pItem == nullptr) return;
  if (!pItem->bShown) --m_nHidden;
  delete pItem;
}

bool CQUORINDlg::GetSelectedRow(DeviceRowKey* pKey) const {
  const QList<QTreeWidgetItem*> selected = m_ctlList->selectedItems();
  if (selected.isEmpty()) return false;
  *pKey = static_cast<CDeviceItem*>(selected.front())->key;
  return true;
}

std::vector<DeviceRowKey> CQUORINDlg::GetSelectedRows() const {
  // In the order the list shows them, which is the order a range of addresses is given in.
  std::vector<DeviceRowKey> keys;
  const QList<QTreeWidgetItem*> selected = m_ctlList->selectedItems();
  if (selected.size() <= 1) {
    for (QTreeWidgetItem* p : selected) keys.push_back(static_cast<CDeviceItem*>(p)->key);
    return keys;
  }
  for (int i = 0; i < m_ctlList->topLevelItemCount(); ++i) {
    const auto* pItem = static_cast<const CDeviceItem*>(m_ctlList->topLevelItem(i));
    if (pItem->isSelected() && pItem->bShown) keys.push_back(pItem->key);
  }
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
  for (int i = 1; i < m_pAdapter->count(); ++i) {
    const std::string sName = m_pAdapter->itemData(i).toString().toStdString();
    QStringList addresses;
    for (const platform::NetInterface& entry : table) {
      if (entry.sName != sName) continue;
      int iPrefix = 0;
      for (uint32_t dwMask = entry.dwMask; dwMask & 0x80000000u; dwMask <<= 1) ++iPrefix;
      addresses << QStringLiteral("%1/%2").arg(QString::fromStdString(FormatAddress(entry.dwAddress))).arg(iPrefix);
    }
    const QString sName16 = QString::fromStdString(sName);
    m_pAdapter->setItemText(i, addresses.isEmpty() ? sName16 + QStringLiteral("  (gone)")
                                                   : sName16 + QStringLiteral("  ") + addresses.join(QStringLiteral(", ")));
  }
}

void CQUORINDlg::SetStatusText(const std::string& sText) { AddStatus(sText); }

void CQUORINDlg::AddStatus(const std::string& sText) {
  m_history.Add(sText);
  m_pStatus->setText(Local(m_history.Latest()));
  m_pStatus->setToolTip(m_history.IsEmpty() ? QString()
                                            : Local(m_history.AllLines()) +
                                                  QStringLiteral("\n\n(right-click to clear)"));
}

void CQUORINDlg::TakeRecord(CDeviceItem* pItem) {
  KESTO_RECORD probe{};
  MacOfKey(pItem->key, probe.byMAC);
  if (const CKestoInfo* pEntry = m_finder->FindByMAC(probe)) pItem->record = pEntry->GetRecord();
}

void CQUORINDlg::FillExtraColumns(CDeviceItem* pItem, uint32_t dwNow) {
  KESTO_RECORD probe{};
  MacOfKey(pItem->key, probe.byMAC);
  const CKestoInfo* pEntry = m_finder->FindByMAC(probe);
  const uint32_t dwAge = pEntry != nullptr ? static_cast<uint32_t>(dwNow - pEntry->dwLastSeen) : 0;
  for (int i = CDeviceColumnSet::kDefaultCount; i < CDeviceColumnSet::kCount; ++i)
    pItem->setText(i, Local(CDeviceColumnSet::Text(i, pItem->record, dwAge)));
  pItem->sSortKey = m_order.IsNewestFirst() ? std::string()
                                            : CDeviceColumnSet::SortKey(m_order.GetColumn(), pItem->record, dwAge);
}

void CQUORINDlg::RefreshLastSeen(uint32_t dwNow) {
  m_dwLastSeenShown = dwNow;
  for (CDeviceItem* pItem : std::as_const(m_items)) {
    KESTO_RECORD probe{};
    MacOfKey(pItem->key, probe.byMAC);
    const CKestoInfo* pEntry = m_finder->FindByMAC(probe);
    if (pEntry == nullptr) continue;
    pItem->setText(CDeviceColumnSet::kLastSeen,
                   Local(CDeviceColumnSet::AgeText(static_cast<uint32_t>(dwNow - pEntry->dwLastSeen))));
  }
  if (m_order.GetColumn() == CDeviceColumnSet::kLastSeen) SortAll();
}

void CQUORINDlg::PlaceItem(CDeviceItem* pItem) {
  const bool bSelected = pItem->treeWidget() != nullptr && pItem->isSelected();
  const bool bCurrent = m_ctlList->currentItem() == pItem;
  if (pItem->treeWidget() != nullptr) {
    const int iAt = m_ctlList->indexOfTopLevelItem(pItem);
    auto before = [this](int i, const CDeviceItem* p) {
      const auto* pOther = static_cast<const CDeviceItem*>(m_ctlList->topLevelItem(i));
      return m_order.Before(pOther->sSortKey, pOther->nSeq, p->sSortKey, p->nSeq);
    };
    const bool bAboveOk = iAt == 0 || before(iAt - 1, pItem);
    const bool bBelowOk = iAt + 1 >= m_ctlList->topLevelItemCount() ||
                          !before(iAt + 1, pItem);
    if (bAboveOk && bBelowOk) return;
    m_ctlList->takeTopLevelItem(iAt);
  }
  // Binary search: the first row the new one stands above.
  int iLow = 0, iHigh = m_ctlList->topLevelItemCount();
  while (iLow < iHigh) {
    const int iMid = (iLow + iHigh) / 2;
    const auto* pOther = static_cast<const CDeviceItem*>(m_ctlList->topLevelItem(iMid));
    if (m_order.Before(pOther->sSortKey, pOther->nSeq, pItem->sSortKey, pItem->nSeq))
      iLow = iMid + 1;
    else
      iHigh = iMid;
  }
  m_ctlList->insertTopLevelItem(iLow, pItem);
  pItem->setHidden(!pItem->bShown);
  if (bCurrent) m_ctlList->setCurrentItem(pItem, 0, QItemSelectionModel::NoUpdate);
  if (bSelected) pItem->setSelected(true);
}

void CQUORINDlg::SortAll() {
  QTreeWidgetItem* pSelected = m_ctlList->selectedItems().isEmpty() ? nullptr : m_ctlList->selectedItems().front();
  const uint32_t dwNow = m_finder->Now();
  QList<QTreeWidgetItem*> items = m_ctlList->invisibleRootItem()->takeChildren();
  for (QTreeWidgetItem* p : items) FillExtraColumns(static_cast<CDeviceItem*>(p), dwNow);
  std::stable_sort(items.begin(), items.end(), [this](QTreeWidgetItem* a, QTreeWidgetItem* b) {
    const auto* pA = static_cast<const CDeviceItem*>(a);
    const auto* pB = static_cast<const CDeviceItem*>(b);
    return m_order.Before(pA->sSortKey, pA->nSeq, pB->sSortKey, pB->nSeq);
  });
  m_ctlList->addTopLevelItems(items);
  for (QTreeWidgetItem* p : items) p->setHidden(!static_cast<CDeviceItem*>(p)->bShown);
  if (pSelected != nullptr) {
    m_ctlList->setCurrentItem(pSelected);
    m_ctlList->scrollToItem(pSelected);
  }
}

void CQUORINDlg::SetSortOrder(const CDeviceSortOrder& order) {
  m_order = order;
  ShowSortIndicator();
  SortAll();
}

void CQUORINDlg::ShowSortIndicator() {
  QHeaderView* pHeader = m_ctlList->header();
  pHeader->setSortIndicatorShown(!m_order.IsNewestFirst());
  if (!m_order.IsNewestFirst())
    pHeader->setSortIndicator(m_order.GetColumn(), m_order.IsAscending() ? Qt::AscendingOrder : Qt::DescendingOrder);
  m_pNewestFirst->setEnabled(!m_order.IsNewestFirst());
}

void CQUORINDlg::OnHeaderClicked(int iColumn) {
  CDeviceSortOrder order = m_order;
  order.Click(iColumn);
  SetSortOrder(order);
}

void CQUORINDlg::FitColumns() {
  for (int i = 0; i < CDeviceColumnSet::kCount; ++i)
    if (!m_ctlList->isColumnHidden(i)) {
      m_ctlList->resizeColumnToContents(i);
      m_ctlList->setColumnWidth(i, m_ctlList->columnWidth(i) + 8);  // a little air between columns
    }
}

void CQUORINDlg::SetColumnShown(int iColumn, bool bShown) {
  if (iColumn < CDeviceColumnSet::kDefaultCount || iColumn >= CDeviceColumnSet::kCount) return;
  m_ctlList->setColumnHidden(iColumn, !bShown);
  if (bShown && m_ctlList->columnWidth(iColumn) < 10)
    m_ctlList->setColumnWidth(iColumn, CDeviceColumnSet::Get(iColumn).iWidth);
  if (!bShown && m_order.GetColumn() == iColumn) SetSortOrder(CDeviceSortOrder());
  if (bShown && iColumn == CDeviceColumnSet::kLastSeen) RefreshLastSeen(m_finder->Now());
}

