#ifndef KESTO_APP_LOGIC_DEVICEROWSTORE_H
#define KESTO_APP_LOGIC_DEVICEROWSTORE_H

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "app/logic/DeviceListView.h"
#include "app/logic/DeviceSortOrder.h"
#include "discovery/KestoRecord.h"

// The device list's rows as both windows show them, without any toolkit: rows
// found by key in one hash step, each holding only its record (texts are made
// when a cell is painted), the order (newest first or by a column), which rows
// the filter shows, and the selection by key. The shown rows are kept in
// display order, so a row's place is a binary search and a pass's changes cost
// one re-sort at most, made by Place().
class CDeviceRowStore {
 public:
  enum Mark { kNoMark, kWarning, kUnsettled };
  struct Row {
    DeviceRowKey key = 0;
    uint64_t nSeq = 0;  // arrival order; the newest row has the highest
    KESTO_RECORD record{};
    std::string sSortKey;  // empty while newest first
    bool bShown = true;
    Mark mark = kNoMark;
    bool bMoved = false;  // among the rows Place() is putting in order
  };
  // The time since a row's device last answered, for the "Last Seen" column.
  using Age = std::function<uint32_t(DeviceRowKey)>;

  void SetAge(Age fnAge) { m_fnAge = std::move(fnAge); }

  // A key already held is replaced, as a new arrival.
  void Insert(DeviceRowKey key, const KESTO_RECORD& record, bool bShown);
  void SetRecord(DeviceRowKey key, const KESTO_RECORD& record);
  // A row the filter hides leaves the selection.
  void SetShown(DeviceRowKey key, bool bShown);
  void SetMark(DeviceRowKey key, Mark mark);
  void Delete(DeviceRowKey key);
  const Row* Find(DeviceRowKey key) const;

  // By CDeviceColumnSet id.
  void SetOrder(const CDeviceSortOrder& order);
  const CDeviceSortOrder& GetOrder() const { return m_sort; }
  // Takes every row's sort key again: sorted by "Last Seen", ages move on while rows do not change.
  void RefreshSortKeys();

  // Puts the shown rows in order after the changes since the last call; true
  // when the shown list changed (rows came, went or moved).
  bool Place();
  // The shown rows, top first, as of the last Place().
  const std::vector<const Row*>& Shown() const { return m_shown; }
  // A shown row's index as of the last Place(), or -1.
  int IndexOf(DeviceRowKey key) const;
  // Whether texts or marks changed since the last call (the shown rows need a repaint).
  bool TakeRepaint();

  int GetRowCount() const { return static_cast<int>(m_rows.size()); }
  int GetShownCount() const { return m_nShown; }
  const std::unordered_map<DeviceRowKey, Row>& Rows() const { return m_rows; }

  // The selection, by key: only shown rows can be selected.
  void Select(DeviceRowKey key, bool bSelected);
  void ClearSelection();
  bool IsSelected(DeviceRowKey key) const { return m_selected.count(key) != 0; }
  // In the order the list shows them (as of the last Place()).
  std::vector<DeviceRowKey> SelectedKeys() const;
  // The row the keyboard is on; false when none.
  void SetCurrent(DeviceRowKey key) { m_current = key, m_bHaveCurrent = true; }
  bool GetCurrent(DeviceRowKey* pKey) const;

  // A cell's text: the five row texts as RowTextsOf makes them, the other columns from CDeviceColumnSet.
  std::string CellText(const Row& row, int iColumn) const;
  uint32_t AgeOf(DeviceRowKey key) const { return m_fnAge ? m_fnAge(key) : 0; }

 private:
  bool Before(const Row& a, const Row& b) const { return m_sort.Before(a.sSortKey, a.nSeq, b.sSortKey, b.nSeq); }
  std::string SortKeyOf(const Row& row) const;
  void Forget(DeviceRowKey key);

  Age m_fnAge;
  std::unordered_map<DeviceRowKey, Row> m_rows;
  std::vector<const Row*> m_shown;  // top first
  int m_nShown = 0;
  CDeviceSortOrder m_sort;
  uint64_t m_nNextSeq = 0;
  std::unordered_set<DeviceRowKey> m_selected;
  DeviceRowKey m_current = 0;
  bool m_bHaveCurrent = false;
  bool m_bOrderDirty = false;
  bool m_bShownChanged = false;  // a shown row was taken out of m_shown since the last Place()
  // Rows shown, hidden or with new keys since the last Place(), to be merged in; or a full sort.
  std::vector<DeviceRowKey> m_vecMoved;
  bool m_bFullSort = false;
  bool m_bRepaint = false;
};

#endif
