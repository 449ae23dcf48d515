#ifndef KESTO_APP_WIN32_DEVICELISTCTRL_H
#define KESTO_APP_WIN32_DEVICELISTCTRL_H

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "app/logic/DeviceListView.h"
#include "app/logic/DeviceRowStore.h"
#include "app/logic/DeviceSortOrder.h"
#include "discovery/KestoRecord.h"

// The system list view of the main window in owner-data mode: it holds no items
// of its own and asks for the texts of the rows it paints. The rows, their
// order and the selection live in the shared row store; this class hands the
// store's changes to the list view and the list view's selection (one row, or
// several with Ctrl and Shift) back to the store, by key, so rows coming and
// going never move it to another device.
class CDeviceListCtrl {
 public:
  using Row = CDeviceRowStore::Row;
  using Mark = CDeviceRowStore::Mark;
  // The tooltip of a row's marks (empty: none).
  using ToolTip = std::function<std::string(DeviceRowKey)>;

  void Attach(HWND hList, ToolTip fnToolTip, CDeviceRowStore::Age fnAge);
  HWND GetHwnd() const { return m_hList; }

  void Insert(DeviceRowKey key, const KESTO_RECORD& record, bool bShown) { m_store.Insert(key, record, bShown); }
  void SetRecord(DeviceRowKey key, const KESTO_RECORD& record) { m_store.SetRecord(key, record); }
  void SetShown(DeviceRowKey key, bool bShown) { m_store.SetShown(key, bShown); }
  void SetMark(DeviceRowKey key, Mark mark) { m_store.SetMark(key, mark); }
  void Delete(DeviceRowKey key) { m_store.Delete(key); }
  const Row* Find(DeviceRowKey key) const { return m_store.Find(key); }
  // The one selected row: the focused one when it is selected, else the top selected one.
  bool GetSelected(DeviceRowKey* pKey) const;
  // Every selected row, in the order the list shows them.
  std::vector<DeviceRowKey> GetSelectedKeys() const { return m_store.SelectedKeys(); }
  // Selects only this row and puts the focus mark on it.
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
  const CDeviceSortOrder& GetOrder() const { return m_store.GetOrder(); }
  // Shown when no row is, in the middle of the list.
  void SetEmptyText(const std::wstring& sText);

  // Hands the changes since the last call to the list view: the count, the order,
  // the selection's places and a repaint.
  void Flush();

  int GetRowCount() const { return m_store.GetRowCount(); }
  int GetShownCount() const { return m_store.GetShownCount(); }
  const CDeviceRowStore& GetStore() const { return m_store; }

  // Notifications from the list view; true when handled, with the answer in *pResult.
  bool OnNotify(const NMHDR& header, LRESULT* pResult);

 private:
  void ShowSortIndicator();
  // Takes the list view's selection and focus into the store.
  void ReadSelection();
  LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw);

  HWND m_hList = nullptr;
  HIMAGELIST m_hImages = nullptr;
  ToolTip m_fnToolTip;
  std::vector<int> m_columns;  // the CDeviceColumnSet id of each list view column
  CDeviceRowStore m_store;
  bool m_bRepaint = false;
  bool m_bSyncing = false;  // the list view's notifications of our own selection changes are ignored
  std::wstring m_sEmpty;
};

#endif
