#ifndef KESTO_APP_WIN32_DEVICELISTCTRL_H
#define KESTO_APP_WIN32_DEVICELISTCTRL_H

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/logic/DeviceListView.h"
#include "app/logic/DeviceSortOrder.h"
#include "discovery/KestoRecord.h"

// The system list view of the main window in owner-data mode: it holds no items
// of its own and asks for the texts of the rows it paints. The rows live here,
// found by key in one hash step; the shown ones are kept in display order, so a
// row's place is a binary search and a pass's changes cost one re-sort at most.
// The selection is kept by key, so rows coming and going never move it to
// another device.
class CDeviceListCtrl {
 public:
  enum Mark { kNoMark, kWarning, kUnsettled };
  struct Row {
    DeviceRowKey key = 0;
    uint64_t nSeq = 0;  // arrival order; the newest row has the highest
    std::array<std::wstring, 5> texts;
    KESTO_RECORD record{};
    std::string sSortKey;
    bool bShown = true;
    Mark mark = kNoMark;
  };
  // The tooltip of a row's marks (empty: none).
  using ToolTip = std::function<std::string(DeviceRowKey)>;
  // The time since a row's device last answered, for the "Last Seen" column.
  using Age = std::function<uint32_t(DeviceRowKey)>;

  void Attach(HWND hList, ToolTip fnToolTip, Age fnAge);
  HWND GetHwnd() const { return m_hList; }

  void Insert(DeviceRowKey key, const DeviceRowTexts& texts, const KESTO_RECORD& record, bool bShown);
  void SetTexts(DeviceRowKey key, const DeviceRowTexts& texts, const KESTO_RECORD& record);
  void SetShown(DeviceRowKey key, bool bShown);
  void SetMark(DeviceRowKey key, Mark mark);
  void Delete(DeviceRowKey key);
  const Row* Find(DeviceRowKey key) const;
  bool GetSelected(DeviceRowKey* pKey) const;
  void SelectIndex(int iIndex);

  // The columns beyond the first five (CDeviceColumnSet ids), added at the right end.
  void ShowColumn(int iColumn, bool bShown);
  bool IsColumnShown(int iColumn) const;
  // The CDeviceColumnSet id of the list view's column iIndex, or -1.
  int ColumnId(int iIndex) const;
  int GetColumnCount() const { return static_cast<int>(m_columns.size()); }
  // Widens or narrows every column to its longest text.
  void FitColumns();
  // Repaints the "Last Seen" texts, when that column is shown.
  void RefreshAges();

  // By CDeviceColumnSet id; an order by a hidden column falls back to newest first.
  void SetOrder(const CDeviceSortOrder& order);
  const CDeviceSortOrder& GetOrder() const { return m_sort; }
  // Shown when no row is, in the middle of the list.
  void SetEmptyText(const std::wstring& sText);

  // Hands the changes since the last call to the list view: the count, the order,
  // the selection's place and a repaint.
  void Flush();

  int GetRowCount() const { return static_cast<int>(m_rows.size()); }
  int GetShownCount() const;
  // Every row, shown or not.
  const std::unordered_map<DeviceRowKey, Row>& Rows() const { return m_rows; }
  // The rows as shown, top first.
  const std::vector<Row*>& Shown() const { return m_shown; }

  // Notifications from the list view; true when handled, with the answer in *pResult.
  bool OnNotify(const NMHDR& header, LRESULT* pResult);

 private:
  bool Before(const Row& a, const Row& b) const { return m_sort.Before(a.sSortKey, a.nSeq, b.sSortKey, b.nSeq); }
  std::string SortKeyOf(const Row& row) const;
  int IndexOf(const Row& row) const;
  void ShowSortIndicator();
  LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw);

  HWND m_hList = nullptr;
  HIMAGELIST m_hImages = nullptr;
  ToolTip m_fnToolTip;
  Age m_fnAge;
  std::vector<int> m_columns;  // the CDeviceColumnSet id of each list view column
  std::unordered_map<DeviceRowKey, Row> m_rows;
  std::vector<Row*> m_shown;  // top first
  CDeviceSortOrder m_sort;
  uint64_t m_nNextSeq = 0;
  bool m_bHaveSelection = false;
  DeviceRowKey m_selected = 0;
  bool m_bOrderDirty = false;
  bool m_bRepaint = false;
  bool m_bSyncing = false;  // the list view's notifications of our own selection changes are ignored
  std::wstring m_sEmpty;
};

#endif
