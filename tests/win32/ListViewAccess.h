#ifndef KESTO_TESTS_WIN32_LISTVIEWACCESS_H
#define KESTO_TESTS_WIN32_LISTVIEWACCESS_H

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/win32/resource.h"

// Reads the main window's list view the way a user's tools would, through its
// messages only, for the tests and the self-test harness.
inline HWND DeviceListOf(HWND hMain) { return GetDlgItem(hMain, IDC_DEVICE_LIST); }

inline int ListRowCount(HWND hList) {
  return hList != nullptr ? static_cast<int>(SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

// The text of one cell as the list view shows it, in UTF-8.
inline std::string CellText(HWND hList, int iRow, int iColumn) {
  wchar_t szText[256] = {};
  LVITEMW item{};
  item.iSubItem = iColumn;
  item.pszText = szText;
  item.cchTextMax = static_cast<int>(sizeof szText / sizeof szText[0]);
  SendMessageW(hList, LVM_GETITEMTEXTW, static_cast<WPARAM>(iRow), reinterpret_cast<LPARAM>(&item));
  char szUtf8[1024] = {};
  WideCharToMultiByte(CP_UTF8, 0, szText, -1, szUtf8, sizeof szUtf8, nullptr, nullptr);
  return szUtf8;
}

// A column's title and width; false past the last.
inline bool ListColumn(HWND hList, int iColumn, std::string* psTitle, int* piWidth) {
  char szTitle[64] = {};
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = szTitle;
  column.cchTextMax = sizeof szTitle;
  if (!SendMessageA(hList, LVM_GETCOLUMNA, static_cast<WPARAM>(iColumn), reinterpret_cast<LPARAM>(&column)))
    return false;
  *psTitle = szTitle;
  *piWidth = column.cx;
  return true;
}

// Selects this row alone, as a plain click would.
inline void SelectListRow(HWND hList, int iRow) {
  LVITEMW clear{};
  clear.stateMask = LVIS_SELECTED;
  SendMessageW(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(iRow), reinterpret_cast<LPARAM>(&item));
}

inline std::vector<int> SelectedListRows(HWND hList) {
  std::vector<int> rows;
  for (int i = static_cast<int>(SendMessageW(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)); i >= 0;
       i = static_cast<int>(SendMessageW(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED)))
    rows.push_back(i);
  return rows;
}

inline int SelectedListRow(HWND hList) {
  return static_cast<int>(SendMessageW(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

#endif
