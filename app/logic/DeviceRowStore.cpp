#include "app/logic/DeviceRowStore.h"

#include <algorithm>

#include "app/logic/DeviceColumnSet.h"
#include "formats/DeviceRowTexts.h"

std::string CDeviceRowStore::SortKeyOf(const Row& row) const {
  // By "Last Seen" the key is the age when the row last changed or the keys were refreshed.
  return m_sort.IsNewestFirst() ? std::string() : CDeviceColumnSet::SortKey(m_sort.GetColumn(), row.record, AgeOf(row.key));
}

void CDeviceRowStore::Insert(DeviceRowKey key, const KESTO_RECORD& record, bool bShown) {
  if (m_rows.count(key) != 0) Delete(key);
  Row& row = m_rows[key];
  row.key = key;
  row.nSeq = ++m_nNextSeq;
  row.record = record;
  row.sSortKey = SortKeyOf(row);
  row.bShown = bShown;
  if (bShown) {
    ++m_nShown;
    m_bOrderDirty = true;
    m_vecMoved.push_back(key);
  }
}

void CDeviceRowStore::SetRecord(DeviceRowKey key, const KESTO_RECORD& record) {
  const auto found = m_rows.find(key);
  if (found == m_rows.end()) return;
  Row& row = found->second;
  row.record = record;
  std::string sKey = SortKeyOf(row);
  if (sKey != row.sSortKey) {
    row.sSortKey = std::move(sKey);
    if (row.bShown) {
      m_bOrderDirty = true;
      m_vecMoved.push_back(key);
    }
  }
  m_bRepaint = m_bRepaint || row.bShown;
}

void CDeviceRowStore::SetShown(DeviceRowKey key, bool bShown) {
  const auto found = m_rows.find(key);
  if (found == m_rows.end() || found->second.bShown == bShown) return;
  found->second.bShown = bShown;
  m_nShown += bShown ? 1 : -1;
  if (!bShown) m_selected.erase(key);
  m_bOrderDirty = true;
  m_vecMoved.push_back(key);
}

void CDeviceRowStore::SetMark(DeviceRowKey key, Mark mark) {
  const auto found = m_rows.find(key);
  if (found == m_rows.end() || found->second.mark == mark) return;
  found->second.mark = mark;
  m_bRepaint = m_bRepaint || found->second.bShown;
}

void CDeviceRowStore::Delete(DeviceRowKey key) {
  const auto found = m_rows.find(key);
  if (found == m_rows.end()) return;
  // The shown list must hold no pointer to a row that is gone. In order, the rest keeps its
  // places; after other changes it is rebuilt by the next Place() anyway.
  if (!m_bOrderDirty) {
    const int iAt = IndexOf(key);
    if (iAt >= 0) {
      m_shown.erase(m_shown.begin() + iAt);
      m_bShownChanged = true;
    }
  } else {
    m_shown.clear();
    m_bFullSort = true;
  }
  if (found->second.bShown) {
    --m_nShown;
    m_bOrderDirty = true;
  }
  Forget(key);
  m_rows.erase(found);
}

void CDeviceRowStore::Forget(DeviceRowKey key) {
  m_selected.erase(key);
  if (m_bHaveCurrent && m_current == key) m_bHaveCurrent = false;
}

const CDeviceRowStore::Row* CDeviceRowStore::Find(DeviceRowKey key) const {
  const auto found = m_rows.find(key);
  return found == m_rows.end() ? nullptr : &found->second;
}

void CDeviceRowStore::SetOrder(const CDeviceSortOrder& order) {
  m_sort = order;
  RefreshSortKeys();
}

void CDeviceRowStore::RefreshSortKeys() {
  for (auto& entry : m_rows) entry.second.sSortKey = SortKeyOf(entry.second);
  m_bOrderDirty = true;
  m_bFullSort = true;
}

bool CDeviceRowStore::Place() {
  const bool bChanged = m_bShownChanged;
  m_bShownChanged = false;
  if (!m_bOrderDirty) return bChanged;
  m_bOrderDirty = false;
  const auto before = [this](const Row* a, const Row* b) { return Before(*a, *b); };
  std::vector<const Row*> shown;
  shown.reserve(static_cast<size_t>(m_nShown));
  if (m_bFullSort || m_vecMoved.size() > m_shown.size() / 4) {
    for (const auto& entry : m_rows)
      if (entry.second.bShown) shown.push_back(&entry.second);
    std::sort(shown.begin(), shown.end(), before);
  } else {
    // A few rows came, went or changed their keys: the others keep their order, so each
    // moved one, sorted among themselves, goes in by a binary search among the others.
    std::vector<const Row*> placed;
    for (DeviceRowKey key : m_vecMoved) {
      const auto found = m_rows.find(key);
      if (found == m_rows.end() || found->second.bMoved) continue;
      found->second.bMoved = true;
      if (found->second.bShown) placed.push_back(&found->second);
    }
    std::vector<const Row*> kept;
    kept.reserve(m_shown.size());
    for (const Row* pRow : m_shown)
      if (!pRow->bMoved) kept.push_back(pRow);
    std::sort(placed.begin(), placed.end(), before);
    auto from = kept.begin();
    for (const Row* pRow : placed) {
      const auto at = std::upper_bound(from, kept.end(), pRow, before);
      shown.insert(shown.end(), from, at);
      shown.push_back(pRow);
      from = at;
    }
    shown.insert(shown.end(), from, kept.end());
    for (DeviceRowKey key : m_vecMoved)
      if (const auto found = m_rows.find(key); found != m_rows.end()) found->second.bMoved = false;
  }
  m_vecMoved.clear();
  m_bFullSort = false;
  if (shown == m_shown) return bChanged;
  m_shown = std::move(shown);
  return true;
}

int CDeviceRowStore::IndexOf(DeviceRowKey key) const {
  const auto found = m_rows.find(key);
  if (found == m_rows.end()) return -1;
  const Row* pRow = &found->second;
  // Between a change and Place() the keys may no longer match the shown order: look row by row then.
  const auto at = m_bOrderDirty ? std::find(m_shown.begin(), m_shown.end(), pRow)
                                : std::lower_bound(m_shown.begin(), m_shown.end(), pRow,
                                                   [this](const Row* a, const Row* b) { return Before(*a, *b); });
  return at != m_shown.end() && *at == pRow ? static_cast<int>(at - m_shown.begin()) : -1;
}

bool CDeviceRowStore::TakeRepaint() {
  const bool bRepaint = m_bRepaint;
  m_bRepaint = false;
  return bRepaint;
}

void CDeviceRowStore::Select(DeviceRowKey key, bool bSelected) {
  if (!bSelected) {
    m_selected.erase(key);
    return;
  }
  const Row* pRow = Find(key);
  if (pRow != nullptr && pRow->bShown) m_selected.insert(key);
}

void CDeviceRowStore::ClearSelection() { m_selected.clear(); }

std::vector<DeviceRowKey> CDeviceRowStore::SelectedKeys() const {
  std::vector<DeviceRowKey> keys;
  if (m_selected.empty()) return keys;
  for (const Row* pRow : m_shown)
    if (m_selected.count(pRow->key) != 0) keys.push_back(pRow->key);
  return keys;
}

bool CDeviceRowStore::GetCurrent(DeviceRowKey* pKey) const {
  if (!m_bHaveCurrent) return false;
  *pKey = m_current;
  return true;
}

std::string CDeviceRowStore::CellText(const Row& row, int iColumn) const {
  if (iColumn < 0 || iColumn >= CDeviceColumnSet::kCount) return {};
  if (iColumn < static_cast<int>(std::tuple_size_v<DeviceRowTexts>))
    return RowTextsOf(row.record)[static_cast<size_t>(iColumn)];
  return CDeviceColumnSet::Text(iColumn, row.record, AgeOf(row.key));
}
