#include "app/win32/QUORINDlg.h"

#include <commctrl.h>

#include <string>

#include "app/logic/DeviceColumns.h"
#include "app/logic/PollingLoop.h"
#include "app/win32/resource.h"
#include "platform/OpenUrl.h"
#include "version/KestoVersion.h"

namespace {

// Row texts are UTF-8; the list view takes them as UTF-16, whatever the ANSI code page.
std::wstring WideFromUtf8(const std::string& sText) {
  const int nChars = MultiByteToWideChar(CP_UTF8, 0, sText.c_str(), -1, nullptr, 0);
  if (nChars <= 0) return std::wstring();
  std::wstring sWide(static_cast<size_t>(nChars), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, sText.c_str(), -1, sWide.data(), nChars);
  sWide.resize(static_cast<size_t>(nChars) - 1);
  return sWide;
}

void SetCellText(HWND hList, int iRow, int iColumn, const std::string& sText) {
  std::wstring sWide = WideFromUtf8(sText);
  LVITEMW item{};
  item.iSubItem = iColumn;
  item.pszText = sWide.data();
  SendMessageW(hList, LVM_SETITEMTEXTW, static_cast<WPARAM>(iRow), reinterpret_cast<LPARAM>(&item));
}

void OpenWithShell(const std::string& sUrl) {
  // A page that cannot be opened is not reported.
  platform::OpenUrl(sUrl, nullptr);
}

}  // namespace

CQUORINDlg::CQUORINDlg(std::unique_ptr<CKestoFinder> finder, CQUORINPresenter::OpenUrl fnOpenUrl)
    : m_hIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_hSmallIcon(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                 LR_DEFAULTCOLOR))),
      m_finder(std::move(finder)),
      m_presenter(
          *m_finder, *this, [this](CConfigKestoModel& model) { return RunConfigDialog(model); },
          fnOpenUrl ? std::move(fnOpenUrl) : CQUORINPresenter::OpenUrl(&OpenWithShell)) {}

CQUORINDlg::~CQUORINDlg() {
  if (m_hWnd != nullptr) DestroyWindow(m_hWnd);
  if (m_hSmallIcon != nullptr) DestroyIcon(m_hSmallIcon);
}

bool CQUORINDlg::Create() {
  m_hWnd = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_QUORIN_DIALOG), nullptr, &DialogProc,
                              reinterpret_cast<LPARAM>(this));
  return m_hWnd != nullptr;
}

void CQUORINDlg::PauseForAnswer(int iMs) { CPollingLoop::PauseForAnswer(*m_finder, iMs); }

void CQUORINDlg::ReportSocketProblem() {
  if (m_finder->IsSocketOpen()) return;
  const std::string sText = "The network socket for finding devices could not be opened:\n" +
                            m_finder->GetSocketError() + "\n\nNo devices will be listed.";
  MessageBoxA(m_hWnd, sText.c_str(), "Tamrel Kesto Manager", MB_OK | MB_ICONWARNING);
}

INT_PTR CALLBACK CQUORINDlg::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == WM_INITDIALOG) {
    auto* pThis = reinterpret_cast<CQUORINDlg*>(lParam);
    SetWindowLongPtrA(hWnd, GWLP_USERDATA, lParam);
    pThis->m_hWnd = hWnd;
    pThis->OnInitDialog();
    return TRUE;
  }
  auto* pThis = reinterpret_cast<CQUORINDlg*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
  if (pThis == nullptr) return FALSE;
  if (uMsg == WM_NCDESTROY) {
    SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
    pThis->m_hWnd = pThis->m_hList = nullptr;
    return FALSE;
  }
  return pThis->HandleMessage(uMsg, wParam, lParam);
}

INT_PTR CQUORINDlg::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM) {
  switch (uMsg) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDCANCEL:  // the close box, the system menu's Close, Alt+F4
          m_bQuit = true;
          return TRUE;
        case IDC_BASIC_CONFIG:
          if (HIWORD(wParam) == BN_CLICKED) m_presenter.OnBasicConfig();
          return TRUE;
        case IDC_LAUNCH_CONFIGURATOR:
          if (HIWORD(wParam) == BN_CLICKED) m_presenter.OnLaunchConfigurator();
          return TRUE;
        default:
          return FALSE;
      }
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) != IDM_ABOUTBOX) return FALSE;
      ShowAbout();
      return TRUE;
    case WM_PAINT:
      if (!IsIconic(m_hWnd)) return FALSE;
      OnPaintIconic();
      return TRUE;
    case WM_QUERYDRAGICON:  // one of the few whose answer is the dialog procedure's own
      return reinterpret_cast<INT_PTR>(m_hIcon);
    default:
      return FALSE;
  }
}

void CQUORINDlg::OnInitDialog() {
  m_hList = GetDlgItem(m_hWnd, IDC_DEVICE_LIST);
  // The template stays as it is: the About entry goes into the system menu.
  if (HMENU hSystemMenu = GetSystemMenu(m_hWnd, FALSE)) {
    AppendMenuA(hSystemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(hSystemMenu, MF_STRING, IDM_ABOUTBOX, "&About Tamrel Kesto Manager...");
  }
  SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon ? m_hSmallIcon : m_hIcon));
  for (size_t i = 0; i < kDeviceColumns.size(); ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = kDeviceColumns[i].iWidth;
    column.pszText = const_cast<char*>(kDeviceColumns[i].pszTitle);
    column.iSubItem = static_cast<int>(i);
    SendMessageA(m_hList, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
}

void CQUORINDlg::ShowAbout() {
  // A message box turns its own loop, so no polling pass runs until it is closed.
  MessageBoxA(m_hWnd, GetKestoAboutText().c_str(), "About Tamrel Kesto Manager", MB_OK | MB_ICONINFORMATION);
}

void CQUORINDlg::OnPaintIconic() {
  PAINTSTRUCT paint;
  HDC hDC = BeginPaint(m_hWnd, &paint);
  SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(hDC), 0);
  RECT rect;
  GetClientRect(m_hWnd, &rect);
  const int x = (rect.right - rect.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (rect.bottom - rect.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(hDC, x, y, m_hIcon);
  EndPaint(m_hWnd, &paint);
}

void CQUORINDlg::InsertListRow(int iIndex, const DeviceRowTexts& texts) {
  std::wstring sName = WideFromUtf8(texts[0]);
  LVITEMW item{};
  item.mask = LVIF_TEXT;  // text only: no image, no state
  item.iItem = iIndex;
  item.pszText = sName.data();
  const int iRow = static_cast<int>(SendMessageW(m_hList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (iRow < 0) return;
  for (int i = 1; i < static_cast<int>(texts.size()); ++i) SetCellText(m_hList, iRow, i, texts[i]);
}

size_t CQUORINDlg::SlotOf(DeviceRowKey key) const {
  for (size_t i = 0; i < m_slots.size(); ++i) {
    if (m_slots[i].key == key) return i;
  }
  return m_slots.size();
}

int CQUORINDlg::ListIndexOf(size_t nSlot) const {
  if (nSlot >= m_slots.size() || !m_slots[nSlot].bShown) return -1;
  int iIndex = 0;
  for (size_t i = 0; i < nSlot; ++i) iIndex += m_slots[i].bShown ? 1 : 0;
  return iIndex;
}

void CQUORINDlg::InsertTopRow(DeviceRowKey key, const DeviceRowTexts& texts, bool bShown) {
  m_slots.insert(m_slots.begin(), Slot{key, texts, bShown});
  if (bShown) InsertListRow(0, texts);
}

void CQUORINDlg::SetRowTexts(DeviceRowKey key, const DeviceRowTexts& texts) {
  const size_t nSlot = SlotOf(key);
  if (nSlot == m_slots.size()) return;
  m_slots[nSlot].texts = texts;
  const int iIndex = ListIndexOf(nSlot);
  if (iIndex < 0) return;
  for (int i = 0; i < static_cast<int>(texts.size()); ++i) SetCellText(m_hList, iIndex, i, texts[i]);
}

void CQUORINDlg::SetRowShown(DeviceRowKey key, bool bShown) {
  const size_t nSlot = SlotOf(key);
  if (nSlot == m_slots.size() || m_slots[nSlot].bShown == bShown) return;
  if (bShown) {
    m_slots[nSlot].bShown = true;
    InsertListRow(ListIndexOf(nSlot), m_slots[nSlot].texts);
  } else {
    SendMessageA(m_hList, LVM_DELETEITEM, static_cast<WPARAM>(ListIndexOf(nSlot)), 0);
    m_slots[nSlot].bShown = false;
  }
}

void CQUORINDlg::DeleteRow(DeviceRowKey key) {
  const size_t nSlot = SlotOf(key);
  if (nSlot == m_slots.size()) return;
  const int iIndex = ListIndexOf(nSlot);
  if (iIndex >= 0) SendMessageA(m_hList, LVM_DELETEITEM, static_cast<WPARAM>(iIndex), 0);
  m_slots.erase(m_slots.begin() + static_cast<std::ptrdiff_t>(nSlot));
}

bool CQUORINDlg::GetSelectedRow(DeviceRowKey* pKey) const {
  const int nRows = GetListRowCount();
  for (int i = 0; i < nRows; ++i) {
    if (!(SendMessageA(m_hList, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_SELECTED) & LVIS_SELECTED)) continue;
    int iShown = 0;
    for (const Slot& slot : m_slots) {
      if (slot.bShown && iShown++ == i) {
        *pKey = slot.key;
        return true;
      }
    }
    return false;
  }
  return false;
}

int CQUORINDlg::GetListRowCount() const {
  return m_hList != nullptr ? static_cast<int>(SendMessageA(m_hList, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

std::string CQUORINDlg::GetCellText(int iRow, int iColumn) const {
  // Read back as UTF-16 and handed out in UTF-8, the form the row texts came in.
  wchar_t szText[256] = {};
  LVITEMW item{};
  item.iSubItem = iColumn;
  item.pszText = szText;
  item.cchTextMax = static_cast<int>(sizeof szText / sizeof szText[0]);
  SendMessageW(m_hList, LVM_GETITEMTEXTW, static_cast<WPARAM>(iRow), reinterpret_cast<LPARAM>(&item));
  char szUtf8[1024] = {};
  WideCharToMultiByte(CP_UTF8, 0, szText, -1, szUtf8, sizeof szUtf8, nullptr, nullptr);
  return szUtf8;
}

bool CQUORINDlg::GetColumn(int iColumn, std::string* psTitle, int* piWidth) const {
  char szTitle[64] = {};
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = szTitle;
  column.cchTextMax = sizeof szTitle;
  if (!SendMessageA(m_hList, LVM_GETCOLUMNA, static_cast<WPARAM>(iColumn), reinterpret_cast<LPARAM>(&column)))
    return false;
  *psTitle = szTitle;
  *piWidth = column.cx;
  return true;
}

void CQUORINDlg::SelectRow(int iRow) {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(m_hList, LVM_SETITEMSTATE, static_cast<WPARAM>(iRow), reinterpret_cast<LPARAM>(&item));
}

bool CQUORINDlg::RunConfigDialog(CConfigKestoModel& model) {
  CConfigKestoDlg dialog(model);
  return dialog.RunModal(
      m_hWnd, [this] { m_presenter.PollWhileModal(); }, [this](int iMs) { PauseForAnswer(iMs); }, m_fnConfigTurn);
}
