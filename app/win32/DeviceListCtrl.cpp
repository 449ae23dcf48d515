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

void CDeviceListCtrl::Attach(HWND hList, ToolTip fnToolTip, Age fnAge) {
  m_hList = hList;
  m_fnToolTip = std::move(fnToolTip);
  m_fnAge = std::move(fnAge);
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

std::string CDeviceListCtrl::SortKeyOf(const Row& row) const {
  // By "Last Seen" the key is the age when the row last changed or the order was chosen.
  return m_sort.IsNewestFirst() ? std::string()
                                : CDeviceColumnSet::SortKey(m_sort.GetColumn(), row.record, m_fnAge ? m_fnAge(row.key) : 0);
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
    if (m_sort.GetColumn() == iColumn) SetOrder(CDeviceSortOrder());
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
  if (IsColumnShown(CDeviceColumnSet::kLastSeen) && !m_shown.empty()) m_bRepaint = true;
}

void CDeviceListCtrl::Insert(DeviceRowKey key, const DeviceRowTexts& texts, const KESTO_RECORD& record, bool bShown) {
  Row& row = m_rows[key];
  row.key = key;
  row.nSeq = ++m_nNextSeq;
  for (size_t i = 0; i < texts.size(); ++i) row.texts[i] = WideFromUtf8(texts[i]);
  row.record = record;
  row.sSortKey = SortKeyOf(row);
  row.bShown = bShown;
  row.mark = kNoMark;
  m_bOrderDirty = m_bOrderDirty || bShown;
}

void CDeviceListCtrl::SetTexts(DeviceRowKey key, const DeviceRowTexts& texts, const KESTO_RECORD& record) {
  const auto found = m_rows.find(key);
  if (found == m_rows.end()) return;
  Row& row = found->second;
  for (size_t i = 0; i < texts.size(); ++i) row.texts[i] = WideFromUtf8(texts[i]);
  row.record = record;
  std::string sKey = SortKeyOf(row);
  if (sKey != row.sSortKey) {
    row.sSortKey = std::move(sKey);
    m_bOrderDirty = m_bOrderDirty || row.bShown;
  }
  m_bRepaint = true;
}

void CDeviceListCtrl::SetShown(DeviceRowKey key, bool bShown) {
  const auto found = m_rows.find(key);
  if (found == m_rows.end() || found->second.bShown == bShown) return;
  found->second.bShown = bShown;
  if (!bShown && m_bHaveSelection && m_selected == key) m_bHaveSelection = false;
  m_bOrderDirty = true;
}

void CDeviceListCtrl::SetMark(DeviceRowKey key, Mark mark) {
  const auto found = m_rows.find(key);
  if (found == m_rows.end() || found->second.mark == mark) return;
  found->second.mark = mark;
  m_bRepaint = true;
}

void CDeviceListCtrl::Delete(DeviceRowKey key) {
  const auto found = m_rows.find(key);
  if (found == m_rows.end()) return;
  if (m_bHaveSelection && m_selected == key) m_bHaveSelection = false;
  if (found->second.bShown) {
    // The shown list is rebuilt at the next Flush; until then it must hold no pointer to the row.
    m_shown.clear();
    m_bOrderDirty = true;
  }
  m_rows.erase(found);
}

const CDeviceListCtrl::Row* CDeviceListCtrl::Find(DeviceRowKey key) const {
  const auto found = m_rows.find(key);
  return found == m_rows.end() ? nullptr : &found->second;
}

bool CDeviceListCtrl::GetSelected(DeviceRowKey* pKey) const {
  if (!m_bHaveSelection) return false;
  *pKey = m_selected;
  return true;
}

void CDeviceListCtrl::SelectIndex(int iIndex) {
  if (iIndex < 0 || iIndex >= static_cast<int>(m_shown.size())) return;
  // Kept here too: the list view's notification is ignored while Flush resyncs it.
  m_selected = m_shown[static_cast<size_t>(iIndex)]->key;
  m_bHaveSelection = true;
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(m_hList, LVM_SETITEMSTATE, static_cast<WPARAM>(iIndex), reinterpret_cast<LPARAM>(&item));
  SendMessageW(m_hList, LVM_ENSUREVISIBLE, static_cast<WPARAM>(iIndex), FALSE);
}

int CDeviceListCtrl::IndexOf(const Row& row) const {
  const auto at = std::lower_bound(m_shown.begin(), m_shown.end(), &row,
                                   [this](const Row* a, const Row* b) { return Before(*a, *b); });
  return at != m_shown.end() && *at == &row ? static_cast<int>(at - m_shown.begin()) : -1;
}

int CDeviceListCtrl::GetShownCount() const {
  return m_bOrderDirty ? static_cast<int>(std::count_if(m_rows.begin(), m_rows.end(),
                                                        [](const auto& entry) { return entry.second.bShown; }))
                       : static_cast<int>(m_shown.size());
}

void CDeviceListCtrl::SetOrder(const CDeviceSortOrder& order) {
  m_sort = IsColumnShown(order.GetColumn()) ? order : CDeviceSortOrder();
  for (auto& entry : m_rows) entry.second.sSortKey = SortKeyOf(entry.second);
  m_bOrderDirty = true;
  ShowSortIndicator();
}

void CDeviceListCtrl::ShowSortIndicator() {
  HWND hHeader = reinterpret_cast<HWND>(SendMessageW(m_hList, LVM_GETHEADER, 0, 0));
  for (int i = 0; i < static_cast<int>(m_columns.size()); ++i) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    SendMessageW(hHeader, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (m_columns[static_cast<size_t>(i)] == m_sort.GetColumn()) item.fmt |= m_sort.IsAscending() ? HDF_SORTUP : HDF_SORTDOWN;
    SendMessageW(hHeader, HDM_SETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
}

void CDeviceListCtrl::SetEmptyText(const std::wstring& sText) {
  if (sText == m_sEmpty) return;
  m_sEmpty = sText;
  if (m_shown.empty()) InvalidateRect(m_hList, nullptr, TRUE);
}

void CDeviceListCtrl::Flush() {
  if (m_hList == nullptr) return;
  if (m_bOrderDirty) {
    m_bOrderDirty = false;
    m_shown.clear();
    m_shown.reserve(m_rows.size());
    for (auto& entry : m_rows)
      if (entry.second.bShown) m_shown.push_back(&entry.second);
    std::sort(m_shown.begin(), m_shown.end(), [this](const Row* a, const Row* b) { return Before(*a, *b); });
    m_bSyncing = true;
    SendMessageW(m_hList, LVM_SETITEMCOUNT, m_shown.size(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    // The list view keeps its selection by place: put it back on the selected device.
    LVITEMW clear{};
    clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(m_hList, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
    if (m_bHaveSelection) {
      const auto found = m_rows.find(m_selected);
      const int iIndex = found != m_rows.end() ? IndexOf(found->second) : -1;
      if (iIndex >= 0) {
        LVITEMW item{};
        item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(m_hList, LVM_SETITEMSTATE, static_cast<WPARAM>(iIndex), reinterpret_cast<LPARAM>(&item));
      } else {
        m_bHaveSelection = false;
      }
    }
    m_bSyncing = false;
    m_bRepaint = true;
  }
  if (m_bRepaint) {
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
      if (item.iItem < 0 || item.iItem >= static_cast<int>(m_shown.size())) return true;
      const Row& row = *m_shown[static_cast<size_t>(item.iItem)];
      const int iColumn = ColumnId(item.iSubItem);
      if ((item.mask & LVIF_TEXT) && iColumn >= 0 && iColumn < static_cast<int>(row.texts.size()))
        CopyText(row.texts[static_cast<size_t>(iColumn)], item.pszText, item.cchTextMax);
      else if (item.mask & LVIF_TEXT && iColumn >= 0)  // drawn from the record when painted, never kept
        CopyText(WideFromUtf8(CDeviceColumnSet::Text(iColumn, row.record, m_fnAge ? m_fnAge(row.key) : 0)),
                 item.pszText, item.cchTextMax);
      if (item.mask & LVIF_IMAGE) item.iImage = item.iSubItem == 0 && row.mark != kNoMark ? row.mark - 1 : I_IMAGENONE;
      return true;
    }
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      if (m_bSyncing || !(change.uChanged & LVIF_STATE)) return true;
      const bool bWas = change.uOldState & LVIS_SELECTED, bIs = change.uNewState & LVIS_SELECTED;
      if (bIs && change.iItem >= 0 && change.iItem < static_cast<int>(m_shown.size())) {
        m_selected = m_shown[static_cast<size_t>(change.iItem)]->key;
        m_bHaveSelection = true;
      } else if (bWas && !bIs) {
        m_bHaveSelection = false;
      }
      return true;
    }
    case LVN_ODFINDITEMW: {
      // Typing a name's first letters goes to the next row whose name starts with them.
      const auto& find = reinterpret_cast<const NMLVFINDITEMW&>(header);
      *pResult = -1;
      if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || find.lvfi.psz == nullptr) return true;
      const std::wstring sWanted = find.lvfi.psz;
      const int n = static_cast<int>(m_shown.size());
      for (int i = 0; i < n; ++i) {
        const int iAt = (find.iStart + i) % n;
        const std::wstring& sName = m_shown[static_cast<size_t>(iAt)]->texts[0];
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
      if (tip.iItem < 0 || tip.iItem >= static_cast<int>(m_shown.size()) || !m_fnToolTip) return true;
      const std::wstring sMarks = WideFromUtf8(m_fnToolTip(m_shown[static_cast<size_t>(tip.iItem)]->key));
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
    return m_shown.empty() && !m_sEmpty.empty() ? CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT;
  if (draw.nmcd.dwDrawStage != CDDS_POSTPAINT || !m_shown.empty() || m_sEmpty.empty()) return CDRF_DODEFAULT;
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
