#include "app/win32/DeviceListCtrl.h"

#include <algorithm>

#include "app/logic/DeviceColumnSet.h"
#include "app/logic/DeviceColumns.h"
#include "app/win32/WideText.h"

namespace {

void CopyText(const std::wstring& sText, wchar_t* pszOut, int cchOut) {
  if (pszOut == nullptr || cchOut <= 0) return;
  lstrcpynW(pszOut, sText.c_str(), cchOut);
}

}  // namespace

void CDeviceListCtrl::Attach(HWND hList, ToolTip fnToolTip, CDeviceRowStore::Age fnAge) {
  m_hList = hList;
  m_fnToolTip = std::move(fnToolTip);
  m_store.SetAge(std::move(fnAge));
  // The template allows one selected row; the commands on several devices need Ctrl and Shift.
  const auto dwStyle = static_cast<DWORD>(GetWindowLongPtrW(m_hList, GWL_STYLE));
  SetWindowLongPtrW(m_hList, GWL_STYLE, dwStyle & ~static_cast<DWORD>(LVS_SINGLESEL));
  for (size_t i = 0; i < kDeviceColumns.size(); ++i) {
    std::wstring sTitle = WideFromUtf8(kDeviceColumns[i].pszTitle);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = kDeviceColumns[i].iWidth;
    column.pszText = sTitle.data();
    column.iSubItem = static_cast<int>(i);
    SendMessageW(m_hList, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    m_columns.push_back(static_cast<int>(i));
  }
  // Whole rows take the click; tooltips come from LVN_GETINFOTIP.
  const DWORD dwExtended = LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER;
  SendMessageW(m_hList, LVM_SETEXTENDEDLISTVIEWSTYLE, dwExtended, dwExtended);
  const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
  m_hImages = ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, 2, 0);
  // The system's warning and question icons (IDI_WARNING, IDI_QUESTION), in the Mark order.
  for (WORD wIcon : {WORD{32515}, WORD{32514}}) {
    auto hIcon = static_cast<HICON>(LoadImageW(nullptr, MAKEINTRESOURCEW(wIcon), IMAGE_ICON, cx, cy, LR_SHARED));
    ImageList_AddIcon(m_hImages, hIcon);
  }
  // The list view destroys the image list with itself.
  SendMessageW(m_hList, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(m_hImages));
}

void CDeviceListCtrl::ShowColumn(int iColumn, bool bShown) {
  if (iColumn < CDeviceColumnSet::kDefaultCount || iColumn >= CDeviceColumnSet::kCount ||
      IsColumnShown(iColumn) == bShown)
    return;
  if (bShown) {
    const CDeviceColumnSet::Column& column = CDeviceColumnSet::Get(iColumn);
    std::wstring sTitle = WideFromUtf8(column.pszTitle);
    LVCOLUMNW item{};
    item.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    item.fmt = LVCFMT_LEFT;
    item.cx = column.iWidth;
    item.pszText = sTitle.data();
    item.iSubItem = static_cast<int>(m_columns.size());
    SendMessageW(m_hList, LVM_INSERTCOLUMNW, m_columns.size(), reinterpret_cast<LPARAM>(&item));
    m_columns.push_back(iColumn);
  } else {
    const auto at = std::find(m_columns.begin(), m_columns.end(), iColumn);
    SendMessageW(m_hList, LVM_DELETECOLUMN, static_cast<WPARAM>(at - m_columns.begin()), 0);
    m_columns.erase(at);
    if (GetOrder().GetColumn() == iColumn) SetOrder(CDeviceSortOrder());
  }
  ShowSortIndicator();
  m_bRepaint = true;
}

bool CDeviceListCtrl::IsColumnShown(int iColumn) const {
  return std::find(m_columns.begin(), m_columns.end(), iColumn) != m_columns.end();
}

int CDeviceListCtrl::ColumnId(int iIndex) const {
  return iIndex >= 0 && iIndex < static_cast<int>(m_columns.size()) ? m_columns[static_cast<size_t>(iIndex)] : -1;
}

void CDeviceListCtrl::FitColumns() {
  for (size_t i = 0; i < m_columns.size(); ++i)
    SendMessageW(m_hList, LVM_SETCOLUMNWIDTH, i, LVSCW_AUTOSIZE_USEHEADER);
}

void CDeviceListCtrl::RefreshAges() {
  if (IsColumnShown(CDeviceColumnSet::kLastSeen) && !m_store.Shown().empty()) m_bRepaint = true;
}

bool CDeviceListCtrl::GetSelected(DeviceRowKey* pKey) const {
  DeviceRowKey current = 0;
  if (m_store.GetCurrent(&current) && m_store.IsSelected(current)) {
    *pKey = current;
    return true;
  }
  const std::vector<DeviceRowKey> keys = m_store.SelectedKeys();
  if (keys.empty()) return false;
  *pKey = keys.front();
  return true;
}

void CDeviceListCtrl::SelectIndex(int iIndex) {
  const auto& shown = m_store.Shown();
  if (iIndex < 0 || iIndex >= static_cast<int>(shown.size())) return;
  const DeviceRowKey key = shown[static_cast<size_t>(iIndex)]->key;
  m_store.ClearSelection();
  m_store.Select(key, true);
  m_store.SetCurrent(key);
  m_bSyncing = true;
  LVITEMW clear{};
  clear.stateMask = LVIS_SELECTED;
  SendMessageW(m_hList, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
  LVITEMW item{};
  item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(m_hList, LVM_SETITEMSTATE, static_cast<WPARAM>(iIndex), reinterpret_cast<LPARAM>(&item));
  SendMessageW(m_hList, LVM_SETSELECTIONMARK, 0, iIndex);
  m_bSyncing = false;
  SendMessageW(m_hList, LVM_ENSUREVISIBLE, static_cast<WPARAM>(iIndex), FALSE);
}

void CDeviceListCtrl::ReadSelection() {
  const auto& shown = m_store.Shown();
  const int n = static_cast<int>(shown.size());
  m_store.ClearSelection();
  for (int i = static_cast<int>(SendMessageW(m_hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
       i >= 0 && i < n; i = static_cast<int>(SendMessageW(m_hList, LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED)))
    m_store.Select(shown[static_cast<size_t>(i)]->key, true);
  const auto iFocused = static_cast<int>(SendMessageW(m_hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  if (iFocused >= 0 && iFocused < n) m_store.SetCurrent(shown[static_cast<size_t>(iFocused)]->key);
}

void CDeviceListCtrl::SetOrder(const CDeviceSortOrder& order) {
  m_store.SetOrder(IsColumnShown(order.GetColumn()) ? order : CDeviceSortOrder());
  ShowSortIndicator();
}

void CDeviceListCtrl::ShowSortIndicator() {
  HWND hHeader = reinterpret_cast<HWND>(SendMessageW(m_hList, LVM_GETHEADER, 0, 0));
  for (int i = 0; i < static_cast<int>(m_columns.size()); ++i) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    SendMessageW(hHeader, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (m_columns[static_cast<size_t>(i)] == GetOrder().GetColumn()) item.fmt |= GetOrder().IsAscending() ? HDF_SORTUP : HDF_SORTDOWN;
    SendMessageW(hHeader, HDM_SETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
}

void CDeviceListCtrl::SetEmptyText(const std::wstring& sText) {
  if (sText == m_sEmpty) return;
  m_sEmpty = sText;
  if (m_store.Shown().empty()) InvalidateRect(m_hList, nullptr, TRUE);
}

void CDeviceListCtrl::Flush() {
  if (m_hList == nullptr) return;
  const bool bPlaced = m_store.Place();
  if (bPlaced) {
    const auto& shown = m_store.Shown();
    m_bSyncing = true;
    SendMessageW(m_hList, LVM_SETITEMCOUNT, shown.size(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    // The list view keeps its selection by place: put it back on the selected devices.
    LVITEMW clear{};
    clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(m_hList, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
    for (DeviceRowKey key : m_store.SelectedKeys()) {
      LVITEMW item{};
      item.stateMask = item.state = LVIS_SELECTED;
      SendMessageW(m_hList, LVM_SETITEMSTATE, static_cast<WPARAM>(m_store.IndexOf(key)), reinterpret_cast<LPARAM>(&item));
    }
    DeviceRowKey current = 0;
    const int iCurrent = m_store.GetCurrent(&current) ? m_store.IndexOf(current) : -1;
    if (iCurrent >= 0) {
      LVITEMW item{};
      item.stateMask = item.state = LVIS_FOCUSED;
      SendMessageW(m_hList, LVM_SETITEMSTATE, static_cast<WPARAM>(iCurrent), reinterpret_cast<LPARAM>(&item));
      SendMessageW(m_hList, LVM_SETSELECTIONMARK, 0, iCurrent);
    }
    m_bSyncing = false;
  }
  if (m_store.TakeRepaint() || bPlaced || m_bRepaint) {
    m_bRepaint = false;
    InvalidateRect(m_hList, nullptr, FALSE);
  }
}

bool CDeviceListCtrl::OnNotify(const NMHDR& header, LRESULT* pResult) {
  if (header.hwndFrom != m_hList) return false;
  *pResult = 0;
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header)).item;
      const auto& shown = m_store.Shown();
      if (item.iItem < 0 || item.iItem >= static_cast<int>(shown.size())) return true;
      const Row& row = *shown[static_cast<size_t>(item.iItem)];
      // Drawn from the record when painted, never kept.
      if (item.mask & LVIF_TEXT)
        CopyText(WideFromUtf8(m_store.CellText(row, ColumnId(item.iSubItem))), item.pszText, item.cchTextMax);
      if (item.mask & LVIF_IMAGE)
        item.iImage = item.iSubItem == 0 && row.mark != CDeviceRowStore::kNoMark ? row.mark - 1 : I_IMAGENONE;
      return true;
    }
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      if (!m_bSyncing && (change.uChanged & LVIF_STATE)) ReadSelection();
      return true;
    }
    case LVN_ODSTATECHANGED:  // a range chosen with Shift
      if (!m_bSyncing) ReadSelection();
      return true;
    case LVN_ODFINDITEMW: {
      // Typing a name's first letters goes to the next row whose name starts with them.
      const auto& find = reinterpret_cast<const NMLVFINDITEMW&>(header);
      *pResult = -1;
      if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || find.lvfi.psz == nullptr) return true;
      const std::wstring sWanted = find.lvfi.psz;
      const auto& shown = m_store.Shown();
      const int n = static_cast<int>(shown.size());
      for (int i = 0; i < n; ++i) {
        const int iAt = (find.iStart + i) % n;
        const std::wstring sName = WideFromUtf8(m_store.CellText(*shown[static_cast<size_t>(iAt)], 0));
        if (sName.size() >= sWanted.size() &&
            CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, sName.c_str(), static_cast<int>(sWanted.size()),
                           sWanted.c_str(), static_cast<int>(sWanted.size())) == CSTR_EQUAL) {
          *pResult = iAt;
          break;
        }
      }
      return true;
    }
    case LVN_GETINFOTIPW: {
      auto& tip = reinterpret_cast<NMLVGETINFOTIPW&>(const_cast<NMHDR&>(header));
      const auto& shown = m_store.Shown();
      if (tip.iItem < 0 || tip.iItem >= static_cast<int>(shown.size()) || !m_fnToolTip) return true;
      const std::wstring sMarks = WideFromUtf8(m_fnToolTip(shown[static_cast<size_t>(tip.iItem)]->key));
      if (sMarks.empty()) return true;
      // With no flags the buffer holds the cell's cut text, which stays first.
      std::wstring sText = tip.dwFlags == 0 && tip.pszText != nullptr && tip.pszText[0] != L'\0'
                               ? std::wstring(tip.pszText) + L"\n" + sMarks
                               : sMarks;
      CopyText(sText, tip.pszText, tip.cchTextMax);
      return true;
    }
    case NM_CUSTOMDRAW:
      *pResult = OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(const_cast<NMHDR&>(header)));
      return true;
    default:
      return false;
  }
}

LRESULT CDeviceListCtrl::OnCustomDraw(NMLVCUSTOMDRAW& draw) {
  if (draw.nmcd.dwDrawStage == CDDS_PREPAINT)
    return m_store.Shown().empty() && !m_sEmpty.empty() ? CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT;
  if (draw.nmcd.dwDrawStage != CDDS_POSTPAINT || !m_store.Shown().empty() || m_sEmpty.empty()) return CDRF_DODEFAULT;
  // The empty list says why, in the middle below the header.
  RECT rect;
  GetClientRect(m_hList, &rect);
  HWND hHeader = reinterpret_cast<HWND>(SendMessageW(m_hList, LVM_GETHEADER, 0, 0));
  RECT header{};
  if (hHeader != nullptr && GetWindowRect(hHeader, &header)) rect.top += header.bottom - header.top;
  InflateRect(&rect, -8, -8);
  RECT measure = rect;
  HGDIOBJ hOld = SelectObject(draw.nmcd.hdc, reinterpret_cast<HFONT>(SendMessageW(m_hList, WM_GETFONT, 0, 0)));
  DrawTextW(draw.nmcd.hdc, m_sEmpty.c_str(), -1, &measure, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
  const int cy = measure.bottom - measure.top;
  if (cy < rect.bottom - rect.top) rect.top += (rect.bottom - rect.top - cy) / 2;
  SetBkMode(draw.nmcd.hdc, TRANSPARENT);
  SetTextColor(draw.nmcd.hdc, GetSysColor(COLOR_GRAYTEXT));
  DrawTextW(draw.nmcd.hdc, m_sEmpty.c_str(), -1, &rect, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(draw.nmcd.hdc, hOld);
  return CDRF_DODEFAULT;
}
