#include "app/win32/PlanList.h"

#include <commctrl.h>

#include <string>

#include "app/logic/PlanPreviewTable.h"
#include "app/win32/WideText.h"

void SetUpPlanList(HWND hList) {
  const struct {
    const wchar_t* pszTitle;
    int iWidth;
  } kColumns[] = {{L"Name", 110}, {L"MAC Address", 115}, {L"Changes", 260}};
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = kColumns[i].iWidth;
    column.pszText = const_cast<wchar_t*>(kColumns[i].pszTitle);
    column.iSubItem = i;
    SendMessageW(hList, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
  }
  const DWORD dwExtended = LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER;
  SendMessageW(hList, LVM_SETEXTENDEDLISTVIEWSTYLE, dwExtended, dwExtended);
}

void ShowPlanInList(HWND hList, const PlanPreview& preview) {
  SendMessageW(hList, WM_SETREDRAW, FALSE, 0);
  SendMessageW(hList, LVM_DELETEALLITEMS, 0, 0);
  int iRow = 0;
  for (const CPlanPreviewTable::Row& row : CPlanPreviewTable::Rows(preview)) {
    const std::wstring texts[3] = {WideFromUtf8(row.sName), WideFromUtf8(row.sMAC), WideFromUtf8(row.sChanges)};
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = iRow;
    item.pszText = const_cast<wchar_t*>(texts[0].c_str());
    SendMessageW(hList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    for (int i = 1; i < 3; ++i) {
      item.iSubItem = i;
      item.pszText = const_cast<wchar_t*>(texts[i].c_str());
      SendMessageW(hList, LVM_SETITEMTEXTW, static_cast<WPARAM>(iRow), reinterpret_cast<LPARAM>(&item));
    }
    ++iRow;
  }
  SendMessageW(hList, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hList, nullptr, TRUE);
}
