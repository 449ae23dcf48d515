#include "app/win32/QUORINDlg.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <sstream>
#include <string>

#include "app/logic/ChangeLogSetting.h"
#include "app/logic/DeviceColumnSet.h"
#include "app/logic/DeviceColumns.h"
#include "app/logic/DeviceExport.h"
#include "app/logic/DeviceListState.h"
#include "app/logic/PlanPreviewTable.h"
#include "app/logic/PollingLoop.h"
#include "app/logic/WindowTexts.h"
#include "app/win32/ChangeLogDlg.h"
#include "app/win32/MultiConfigDlg.h"
#include "app/win32/PlanPreviewDlg.h"
#include "app/win32/TargetInputDlg.h"
#include "app/win32/WideText.h"
#include "app/win32/resource.h"
#include "discovery/KestoDestinations.h"
#include "formats/DeviceCsv.h"
#include "plan/ChangeLog.h"
#include "plan/PlanReader.h"
#include "platform/OpenUrl.h"
#include "version/KestoVersion.h"

namespace {

// The starting size in dialog units: the template's width, and room for the
// filter row above the list and the status line below its buttons.
constexpr int kStartWidth = 387;
constexpr int kStartHeight = 145;

// How often a pass runs while a message box, a file dialog or a menu turns its own loop.
constexpr UINT_PTR kModalPassTimer = 1;
constexpr UINT kModalPassMs = 20;

// Which edges of the window a control follows when it is resized.
enum Anchor { kFixed = 0, kMoveX = 1, kGrowX = 2, kMoveY = 4, kGrowY = 8 };

// Every control's place at the starting size, in dialog units, in Tab order (the
// Qt window's). Those without a class are the template's, moved to these places.
struct Placed {
  int iId;
  const wchar_t* pszClass;  // null: made by the template
  const wchar_t* pszText;
  DWORD dwStyle;
  int x, y, cx, cy;
  int iAnchor;
};
constexpr Placed kControls[] = {
    {IDC_FILTER_LABEL, L"STATIC", L"&Filter:", SS_LEFT, 4, 7, 24, 8, kFixed},
    {IDC_FILTER, L"EDIT", L"", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 30, 4, 150, 14, kGrowX},
    {IDC_DEVICE_LIST, nullptr, nullptr, 0, 4, 22, 379, 86, kGrowX | kGrowY},
    {IDC_BASIC_CONFIG, nullptr, nullptr, 0, 4, 113, 68, 14, kMoveY},
    {IDC_LAUNCH_CONFIGURATOR, nullptr, nullptr, 0, 76, 113, 92, 14, kMoveY},
    {IDC_PLANS, L"BUTTON", L"&Plans", BS_PUSHBUTTON | WS_TABSTOP, 172, 113, 40, 14, kMoveY},
    {IDC_NEWEST_FIRST, L"BUTTON", L"&Newest first", BS_PUSHBUTTON | WS_TABSTOP, 274, 113, 62, 14, kMoveX | kMoveY},
    {IDC_ABOUT, L"BUTTON", L"About...", BS_PUSHBUTTON | WS_TABSTOP, 340, 113, 43, 14, kMoveX | kMoveY},
    {IDC_ADAPTER_LABEL, L"STATIC", L"&Adapter:", SS_LEFT, 186, 7, 30, 8, kMoveX},
    {IDC_ADAPTER, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 218, 4, 70, 120, kMoveX},
    {IDC_TARGETS, L"BUTTON", L"&Targets", BS_PUSHBUTTON | WS_TABSTOP, 292, 4, 43, 14, kMoveX},
    {IDC_EXPORT, L"BUTTON", L"E&xport...", BS_PUSHBUTTON | WS_TABSTOP, 339, 4, 44, 14, kMoveX},
    {IDC_STATUS, L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_ENDELLIPSIS | SS_NOTIFY, 4, 131, 300, 10,
     kGrowX | kMoveY},
    {IDC_COUNT, L"STATIC", L"", SS_RIGHT | SS_NOPREFIX, 308, 131, 75, 10, kMoveX | kMoveY},
};

// The controls whose tooltip says why they are greyed, and what they do otherwise.
constexpr int kExplained[] = {IDC_BASIC_CONFIG, IDC_LAUNCH_CONFIGURATOR, IDC_ADAPTER, IDC_TARGETS, IDC_NEWEST_FIRST};

// Runs passes from a timer while a loop of the system's own (a message box, a
// file dialog, a menu) holds the thread, so devices do not age out behind it.
class CModalPasses {
 public:
  explicit CModalPasses(HWND hWnd) : m_hWnd(hWnd) { SetTimer(m_hWnd, kModalPassTimer, kModalPassMs, nullptr); }
  CModalPasses(const CModalPasses&) = delete;
  CModalPasses& operator=(const CModalPasses&) = delete;
  ~CModalPasses() { KillTimer(m_hWnd, kModalPassTimer); }

 private:
  HWND m_hWnd;
};

void OpenWithShell(const std::string& sUrl) {
  // A page that cannot be opened is not reported.
  platform::OpenUrl(sUrl, nullptr);
}

RECT DialogRect(HWND hWnd, int x, int y, int cx, int cy) {
  // Origin and size converted each on their own, as the dialog manager does.
  RECT rect{x, y, cx, cy};
  MapDialogRect(hWnd, &rect);
  return rect;
}

bool PutOnClipboard(HWND hOwner, const std::wstring& sText) {
  if (!OpenClipboard(hOwner)) return false;
  EmptyClipboard();
  const size_t nBytes = (sText.size() + 1) * sizeof(wchar_t);
  HGLOBAL hMemory = GlobalAlloc(GMEM_MOVEABLE, nBytes);
  bool bDone = false;
  if (hMemory != nullptr) {
    if (void* p = GlobalLock(hMemory)) {
      CopyMemory(p, sText.c_str(), nBytes);
      GlobalUnlock(hMemory);
      bDone = SetClipboardData(CF_UNICODETEXT, hMemory) != nullptr;
    }
    if (!bDone) GlobalFree(hMemory);
  }
  CloseClipboard();
  return bDone;
}


std::string FileNameOf(const std::wstring& sPath) {
  const size_t nSlash = sPath.find_last_of(L"\\/");
  return Utf8FromWide(nSlash == std::wstring::npos ? sPath : sPath.substr(nSlash + 1));
}

// At most nMax bytes from the file's start.
bool ReadFileStart(const std::wstring& sPath, size_t nMax, std::string* psBytes, std::string* psError) {
  HANDLE hFile = CreateFileW(sPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
  if (hFile == INVALID_HANDLE_VALUE) {
    *psError = "it could not be opened (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  psBytes->assign(nMax, '\0');
  size_t nRead = 0;
  bool bOk = true;
  while (nRead < nMax) {
    DWORD dwGot = 0;
    const DWORD dwWant = static_cast<DWORD>(std::min<size_t>(nMax - nRead, 1u << 20));
    if (!ReadFile(hFile, psBytes->data() + nRead, dwWant, &dwGot, nullptr)) {
      *psError = "it could not be read (error " + std::to_string(GetLastError()) + ")";
      bOk = false;
      break;
    }
    if (dwGot == 0) break;
    nRead += dwGot;
  }
  CloseHandle(hFile);
  psBytes->resize(nRead);
  return bOk;
}

// The user's settings: "size" is "WIDTH HEIGHT" of the frame in pixels, "columns" the
// extra columns' ids, "widths" every shown column's width, "order" CDeviceSortOrder's
// text; anything unreadable is ignored.
constexpr const char* kSettingsKey = "Software\\Kesto\\kesto-manager";
// The change log's switch, CChangeLogSetting::kKey as a registry subkey and value: "true" or "false".
constexpr const char* kChangeLogKey = "Software\\Kesto\\kesto-manager\\changeLog";
constexpr uint32_t kRegistryText = 1;  // REG_SZ

// A text value, empty when it is missing or not text.
std::string ReadText(platform::Registry& settings, platform::RegistryKey key, const char* pszName) {
  char szValue[128] = {};
  uint32_t dwType = 0, dwSize = sizeof szValue - 1;
  if (!settings.ReadValue(key, pszName, &dwType, szValue, &dwSize) || dwType != kRegistryText) return std::string();
  return std::string(szValue, strnlen(szValue, dwSize));
}

void WriteText(platform::Registry& settings, platform::RegistryKey key, const char* pszName, const std::string& sValue) {
  settings.WriteValue(key, pszName, kRegistryText, sValue.c_str(), static_cast<uint32_t>(sValue.size() + 1));
}

}  // namespace

CQUORINDlg::CQUORINDlg(std::unique_ptr<CKestoFinder> finder, CQUORINPresenter::OpenUrl fnOpenUrl,
                       platform::Registry* pSettings)
    : m_settings(pSettings != nullptr ? *pSettings : platform::SystemRegistry()),
      m_hIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_hSmallIcon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                 LR_DEFAULTCOLOR))),
      m_finder(std::move(finder)),
      m_presenter(
          *m_finder, *this, [this](CConfigKestoModel& model) { return RunConfigDialog(model); },
          fnOpenUrl ? std::move(fnOpenUrl) : CQUORINPresenter::OpenUrl(&OpenWithShell)),
      m_targets(m_presenter) {
  m_presenter.SetMultiConfigDialog([this](CMultiConfigForm& form) {
    return RunMultiConfigDialog(
        m_hWnd, form, [this] { m_presenter.PollWhileModal(); }, [this](int iMs) { PauseForAnswer(iMs); });
  });
}

CQUORINDlg::~CQUORINDlg() {
  if (m_hWnd != nullptr) SaveSettings();
  if (m_hWnd != nullptr) DestroyWindow(m_hWnd);
  if (m_hSmallIcon != nullptr) DestroyIcon(m_hSmallIcon);
}

bool CQUORINDlg::Create() {
  // A Unicode window, so the list view asks for its texts in UTF-16.
  m_hWnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_QUORIN_DIALOG), nullptr, &DialogProc,
                              reinterpret_cast<LPARAM>(this));
  return m_hWnd != nullptr;
}

void CQUORINDlg::PauseForAnswer(int iMs) { CPollingLoop::PauseForAnswer(*m_finder, iMs); }

void CQUORINDlg::PollDevices() {
  m_presenter.PollDevices();
  const uint32_t dwNow = m_finder->Now();
  if (static_cast<uint32_t>(dwNow - m_dwAgesShown) >= 500) {
    m_dwAgesShown = dwNow;
    m_list.RefreshAges();
  }
  // The table changes every few seconds at most; its version says when without a comparison.
  if (m_finder->GetInterfaceSnapshot().GetVersion() != m_qwAdapterTableVersion) UpdateAdapterTexts();
  Flush();
}

void CQUORINDlg::ReportSocketProblem() {
  if (m_finder->IsSocketOpen()) return;
  ShowMessage(CWindowTexts::SocketProblem(m_finder->GetSocketError()));
}

void CQUORINDlg::ShowMessage(const std::string& sText, const char* pszCaption) {
  const CModalPasses passes(m_hWnd);
  MessageBoxW(m_hWnd, WideFromUtf8(sText).c_str(), WideFromUtf8(pszCaption ? pszCaption : CWindowTexts::kCaption).c_str(),
              pszCaption ? MB_OK | MB_ICONINFORMATION : MB_OK | MB_ICONWARNING);
}

INT_PTR CALLBACK CQUORINDlg::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == WM_INITDIALOG) {
    auto* pThis = reinterpret_cast<CQUORINDlg*>(lParam);
    SetWindowLongPtrW(hWnd, GWLP_USERDATA, lParam);
    pThis->m_hWnd = hWnd;
    pThis->OnInitDialog();
    return FALSE;  // the focus was put on the filter box
  }
  if (uMsg == WM_NOTIFYFORMAT) {
    SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, NFR_UNICODE);
    return TRUE;
  }
  auto* pThis = reinterpret_cast<CQUORINDlg*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
  if (pThis == nullptr) return FALSE;
  if (uMsg == WM_NCDESTROY) {
    SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
    pThis->m_hWnd = nullptr;
    return FALSE;
  }
  return pThis->HandleMessage(uMsg, wParam, lParam);
}

INT_PTR CQUORINDlg::Answer(LRESULT lResult) {
  SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, lResult);
  return TRUE;
}

INT_PTR CQUORINDlg::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (uMsg) {
    case WM_CLOSE:  // the close box, the system menu's Close, Alt+F4; Esc is only a Cancel
      m_bQuit = true;
      return TRUE;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
      LRESULT lResult = 0;
      if (m_list.OnNotify(header, &lResult)) {
        if (header.code == LVN_ITEMCHANGED || header.code == LVN_ODSTATECHANGED) UpdateState();
        return Answer(lResult);
      }
      if (header.hwndFrom == m_list.GetHwnd()) {
        switch (header.code) {
          case NM_DBLCLK:
          case NM_RETURN:
            if (m_presenter.GetSelectedRecord() != nullptr) m_presenter.OnBasicConfig();
            Flush();
            return TRUE;
          case NM_SETFOCUS: {
            // Arriving by Tab on a list without a selection selects its first row; not when the
            // focus comes back mid-click (a row being changed has the focus mark already).
            DeviceRowKey key;
            const auto iFocused = SendMessageW(m_list.GetHwnd(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
            if (!m_list.GetSelected(&key) && iFocused < 0) m_list.SelectIndex(0);
            return TRUE;
          }
          case LVN_COLUMNCLICK: {
            CDeviceSortOrder order = m_list.GetOrder();
            order.Click(m_list.ColumnId(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem));
            m_list.SetOrder(order);
            Flush();
            return TRUE;
          }
          case LVN_KEYDOWN:
            if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == 'C' && (GetKeyState(VK_CONTROL) & 0x8000))
              CopyRow(IDM_ROW_COPY_CSV);
            return TRUE;
          default:
            return FALSE;
        }
      }
      if (header.hwndFrom == m_hToolTip && header.code == TTN_GETDISPINFOW) {
        auto& info = reinterpret_cast<NMTTDISPINFOW&>(const_cast<NMHDR&>(header));
        const bool bStatus = (info.uFlags & TTF_IDISHWND) && reinterpret_cast<HWND>(header.idFrom) == GetDlgItem(m_hWnd, IDC_STATUS);
        m_sTip = bStatus ? m_sStatusTip : WideFromUtf8(ToolTipOf(ControlOfTool(header.idFrom, info.uFlags)));
        info.lpszText = m_sTip.data();
        return TRUE;
      }
      return FALSE;
    }
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == m_list.GetHwnd()) {
        RECT header{};
        GetWindowRect(reinterpret_cast<HWND>(SendMessageW(m_list.GetHwnd(), LVM_GETHEADER, 0, 0)), &header);
        const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (lParam != -1 && PtInRect(&header, point))
          ShowHeaderMenu(lParam);
        else
          ShowRowMenu(lParam);
      }
      else if (reinterpret_cast<HWND>(wParam) == GetDlgItem(m_hWnd, IDC_STATUS)) ShowStatusMenu(lParam);
      else return FALSE;
      return TRUE;
    case WM_SIZE:
      Layout();
      return TRUE;
    case WM_GETMINMAXINFO:
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{m_minTrack.cx, m_minTrack.cy};
      return TRUE;
    case WM_TIMER:
      if (wParam != kModalPassTimer) return FALSE;
      PollDevices();
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

void CQUORINDlg::OnCommand(int iId, int iCode) {
  switch (iId) {
    case IDOK:  // Enter: on a row it opens "Basic Config...", elsewhere it does nothing
      if (GetFocus() == m_list.GetHwnd() && m_presenter.GetSelectedRecord() != nullptr) m_presenter.OnBasicConfig();
      break;
    case IDCANCEL:  // Esc does not close the main window
      break;
    case IDC_BASIC_CONFIG:
    case IDM_ROW_BASIC_CONFIG:
      if (iCode == BN_CLICKED) m_presenter.OnBasicConfig();
      break;
    case IDC_LAUNCH_CONFIGURATOR:
    case IDM_ROW_OPEN_PAGE:
      if (iCode == BN_CLICKED && m_list.GetSelectedKeys().size() == 1) m_presenter.OnLaunchConfigurator();
      break;
    case IDC_ABOUT:
      ShowAbout();
      break;
    case IDC_PLANS:
      ShowPlansMenu();
      break;
    case IDM_APPLY_PLAN:
      OnApplyPlan();
      break;
    case IDM_BACKUP:
      OnBackup();
      break;
    case IDM_LOG_CHANGES:
      OnLogChanges();
      break;
    case IDM_ROW_UNDO:
      OnUndo();
      break;
    case IDM_ROW_HISTORY:
      OnChangeHistory();
      break;
    case IDC_NEWEST_FIRST:
    case IDM_SORT_NEWEST:
      m_list.SetOrder(CDeviceSortOrder());
      break;
    case IDM_FIT_COLUMNS:
      m_list.FitColumns();
      break;
    case IDC_EXPORT:
      OnExport();
      break;
    case IDC_TARGETS:
      ShowTargetsMenu();
      break;
    case IDC_FILTER:
      if (iCode == EN_CHANGE) m_presenter.SetFilterText(Utf8FromWide(WindowTextOf(GetDlgItem(m_hWnd, IDC_FILTER))));
      break;
    case IDC_ADAPTER:
      if (iCode == CBN_SELCHANGE) {
        const auto iChosen = SendDlgItemMessageW(m_hWnd, IDC_ADAPTER, CB_GETCURSEL, 0, 0);
        m_presenter.SelectAdapter(iChosen >= 1 && static_cast<size_t>(iChosen) <= m_adapters.size()
                                      ? m_adapters[static_cast<size_t>(iChosen) - 1]
                                      : std::string());
      }
      break;
    case IDM_ROW_COPY_MAC:
    case IDM_ROW_COPY_IP:
    case IDM_ROW_COPY_CSV:
      CopyRow(iId);
      break;
    case IDM_ADD_TARGET:
      OnAddTarget();
      break;
    case IDM_CLEAR_TARGETS:
      m_targets.Clear();
      break;
    case IDM_CLEAR_STATUS:
      m_history.Clear();
      m_presenter.ClearApplyOutcomes();
      m_history.Clear();  // clearing the outcomes may have reported once more
      AddStatus(std::string());
      break;
    default:
      if (iId >= IDM_REMOVE_TARGET && iId <= IDM_REMOVE_TARGET_LAST)
        RemoveTarget(static_cast<size_t>(iId - IDM_REMOVE_TARGET));
      else if (iId >= IDM_COLUMN + CDeviceColumnSet::kDefaultCount && iId < IDM_COLUMN + CDeviceColumnSet::kCount)
        m_list.ShowColumn(iId - IDM_COLUMN, !m_list.IsColumnShown(iId - IDM_COLUMN));
      break;
  }
  Flush();
}

void CQUORINDlg::OnInitDialog() {
  // The template's fixed frame becomes a sizing one, with the buttons that go with it.
  const auto dwStyle = static_cast<DWORD>(GetWindowLongPtrW(m_hWnd, GWL_STYLE));
  SetWindowLongPtrW(m_hWnd, GWL_STYLE, dwStyle | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon ? m_hSmallIcon : m_hIcon));
  m_list.Attach(
      GetDlgItem(m_hWnd, IDC_DEVICE_LIST), [this](DeviceRowKey key) { return m_presenter.GetRowToolTip(key); },
      [this](DeviceRowKey key) {
        KESTO_RECORD probe{};
        MacFromKey(key, probe.byMAC);
        const CKestoInfo* pEntry = m_finder->FindByMAC(probe);
        return pEntry != nullptr ? static_cast<uint32_t>(m_finder->Now() - pEntry->dwLastSeen) : 0u;
      });
  CreateControls();
  // The template's buttons get the mnemonics the Qt window gives them.
  SetDlgItemTextW(m_hWnd, IDC_BASIC_CONFIG, L"&Basic Config...");
  SetDlgItemTextW(m_hWnd, IDC_LAUNCH_CONFIGURATOR, L"&Lauch Configurator...");

  RECT frame = DialogRect(m_hWnd, 0, 0, kStartWidth, kStartHeight);
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(m_hWnd, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)));
  m_minTrack = SIZE{frame.right - frame.left, frame.bottom - frame.top};
  SetWindowPos(m_hWnd, nullptr, 0, 0, m_minTrack.cx, m_minTrack.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  Layout();
  LoadSettings();

  SendDlgItemMessageW(m_hWnd, IDC_ADAPTER, CB_ADDSTRING, 0,
                      reinterpret_cast<LPARAM>(WideFromUtf8(CWindowTexts::kAllAdapters).c_str()));
  SendDlgItemMessageW(m_hWnd, IDC_ADAPTER, CB_SETCURSEL, 0, 0);
  SendDlgItemMessageW(m_hWnd, IDC_FILTER, EM_SETCUEBANNER, TRUE,
                      reinterpret_cast<LPARAM>(L"name, MAC, IP address or version"));
  // One explicit host (KESTO_TARGET) stays the only destination.
  const bool bChoose = m_presenter.CanChooseDestinations();
  for (int iId : {IDC_ADAPTER_LABEL, IDC_ADAPTER, IDC_TARGETS}) EnableWindow(GetDlgItem(m_hWnd, iId), bChoose);
  UpdateState();
  SetFocus(GetDlgItem(m_hWnd, IDC_FILTER));
}

void CQUORINDlg::CreateControls() {
  const auto hFont = static_cast<WPARAM>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
  HWND hPrevious = HWND_TOP;
  for (const Placed& placed : kControls) {
    HWND hControl = GetDlgItem(m_hWnd, placed.iId);
    if (placed.pszClass != nullptr) {
      const RECT rect = DialogRect(m_hWnd, placed.x, placed.y, placed.cx, placed.cy);
      hControl = CreateWindowExW(placed.iId == IDC_FILTER ? WS_EX_CLIENTEDGE : 0, placed.pszClass, placed.pszText,
                                 WS_CHILD | WS_VISIBLE | (placed.dwStyle & ~WS_BORDER), rect.left, rect.top, rect.right,
                                 rect.bottom, m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(placed.iId)),
                                 GetModuleHandleW(nullptr), nullptr);
      SendMessageW(hControl, WM_SETFONT, hFont, FALSE);
    }
    // The children's order is the Tab order.
    SetWindowPos(hControl, hPrevious, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    hPrevious = hControl;
  }
  SendDlgItemMessageW(m_hWnd, IDC_ADAPTER, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(DialogRect(m_hWnd, 0, 0, 160, 0).right),
                      0);
  // The status line's tooltip holds its recent history.
  m_hToolTip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, GetModuleHandleW(nullptr),
                               nullptr);
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = m_hWnd;
  tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(m_hWnd, IDC_STATUS));
  tool.lpszText = LPSTR_TEXTCALLBACKW;
  SendMessageW(m_hToolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  // Each explained control twice: its own tool while it takes the mouse, and its
  // rectangle on the window while it is greyed (a greyed control gets no mouse
  // messages: they go to the window under it).
  for (int iId : kExplained) {
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(m_hWnd, iId));
    SendMessageW(m_hToolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    tool.uFlags = TTF_SUBCLASS;
    tool.uId = static_cast<UINT_PTR>(iId);
    SendMessageW(m_hToolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  SendMessageW(m_hToolTip, TTM_SETMAXTIPWIDTH, 0, 600);
}

void CQUORINDlg::Layout() {
  RECT client;
  if (m_hWnd == nullptr || !GetClientRect(m_hWnd, &client) || GetDlgItem(m_hWnd, IDC_COUNT) == nullptr) return;
  const RECT start = DialogRect(m_hWnd, 0, 0, kStartWidth, kStartHeight);
  // Never smaller than the starting layout, so no control covers another.
  const int dx = std::max<int>(0, client.right - start.right), dy = std::max<int>(0, client.bottom - start.bottom);
  HDWP hDefer = BeginDeferWindowPos(static_cast<int>(std::size(kControls)));
  for (const Placed& placed : kControls) {
    RECT rect = DialogRect(m_hWnd, placed.x, placed.y, placed.cx, placed.cy);
    if (placed.iAnchor & kMoveX) rect.left += dx;
    if (placed.iAnchor & kGrowX) rect.right += dx;
    if (placed.iAnchor & kMoveY) rect.top += dy;
    if (placed.iAnchor & kGrowY) rect.bottom += dy;
    if (hDefer != nullptr)
      hDefer = DeferWindowPos(hDefer, GetDlgItem(m_hWnd, placed.iId), nullptr, rect.left, rect.top, rect.right,
                              rect.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (hDefer != nullptr) EndDeferWindowPos(hDefer);
  // The greyed controls' tools follow their rectangles.
  for (int iId : kExplained) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = m_hWnd;
    tool.uId = static_cast<UINT_PTR>(iId);
    HWND hControl = GetDlgItem(m_hWnd, iId);
    GetWindowRect(hControl, &tool.rect);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&tool.rect), 2);
    if (m_hToolTip != nullptr) SendMessageW(m_hToolTip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CQUORINDlg::LoadSettings() {
  platform::RegistryKey key;
  if (m_settings.OpenKey(platform::RegistryRoot::kCurrentUser, kChangeLogKey, &key)) {
    m_bLogChanges = ReadText(m_settings, key, "enabled") != "false";
    m_settings.CloseKey(key);
  }
  if (!m_settings.OpenKey(platform::RegistryRoot::kCurrentUser, kSettingsKey, &key)) return;
  auto Read = [&](const char* pszName) { return ReadText(m_settings, key, pszName); };
  int cx = 0, cy = 0;
  if (std::sscanf(Read("size").c_str(), "%d %d", &cx, &cy) == 2 && cx >= m_minTrack.cx && cy >= m_minTrack.cy &&
      cx <= 8192 && cy <= 8192)
    SetWindowPos(m_hWnd, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  std::istringstream extra(Read("columns"));
  for (int iColumn; extra >> iColumn;) m_list.ShowColumn(iColumn, true);
  std::istringstream widths(Read("widths"));
  int iWidth = 0;
  for (int i = 0; i < m_list.GetColumnCount() && widths >> iWidth; ++i)
    if (iWidth >= 10 && iWidth <= 2000) SendMessageW(m_list.GetHwnd(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), iWidth);
  CDeviceSortOrder order;
  if (order.FromText(Read("order"), CDeviceColumnSet::kCount)) m_list.SetOrder(order);
  m_settings.CloseKey(key);
}

void CQUORINDlg::SaveSettings() const {
  if (!m_settings.CreateKey(platform::RegistryRoot::kCurrentUser, kSettingsKey)) return;
  platform::RegistryKey key;
  if (!m_settings.OpenKey(platform::RegistryRoot::kCurrentUser, kSettingsKey, &key)) return;
  auto Write = [&](const char* pszName, const std::string& sValue) { WriteText(m_settings, key, pszName, sValue); };
  // The size it would have restored, not a minimised or maximised one.
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (GetWindowPlacement(m_hWnd, &placement)) {
    const RECT& rect = placement.rcNormalPosition;
    Write("size", std::to_string(rect.right - rect.left) + " " + std::to_string(rect.bottom - rect.top));
  }
  std::string sWidths, sColumns;
  for (int i = 0; i < m_list.GetColumnCount(); ++i) {
    sWidths += (i > 0 ? " " : "") +
               std::to_string(SendMessageW(m_list.GetHwnd(), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
    if (i >= CDeviceColumnSet::kDefaultCount) sColumns += (sColumns.empty() ? "" : " ") + std::to_string(m_list.ColumnId(i));
  }
  Write("widths", sWidths);
  Write("columns", sColumns);
  Write("order", m_list.GetOrder().ToText());
  m_settings.CloseKey(key);
}

void CQUORINDlg::ShowAbout() { ShowMessage(GetKestoAboutText(), CWindowTexts::kAboutCaption); }

int CQUORINDlg::ControlOfTool(UINT_PTR uId, UINT uFlags) const {
  return (uFlags & TTF_IDISHWND) ? GetDlgCtrlID(reinterpret_cast<HWND>(uId)) : static_cast<int>(uId);
}

std::string CQUORINDlg::ToolTipOf(int iId) const {
  const size_t nSelected = m_list.GetSelectedKeys().size();
  switch (iId) {
    case IDC_BASIC_CONFIG:
      return CWindowTexts::BasicConfigTip(nSelected);
    case IDC_LAUNCH_CONFIGURATOR:
      return CWindowTexts::LaunchTip(nSelected);
    case IDC_NEWEST_FIRST:
      return CWindowTexts::NewestFirstTip(m_list.GetOrder().IsNewestFirst());
    case IDC_ADAPTER:
      return CWindowTexts::AdapterTip(m_presenter.CanChooseDestinations());
    case IDC_TARGETS:
      return CWindowTexts::TargetsTip(m_presenter.CanChooseDestinations());
    default:
      return std::string();
  }
}

void CQUORINDlg::OnPaintIconic() {
  PAINTSTRUCT paint;
  HDC hDC = BeginPaint(m_hWnd, &paint);
  SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(hDC), 0);
  RECT rect;
  GetClientRect(m_hWnd, &rect);
  const int x = (rect.right - rect.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (rect.bottom - rect.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(hDC, x, y, m_hIcon);
  EndPaint(m_hWnd, &paint);
}

void CQUORINDlg::ShowRowMenu(LPARAM lPoint) {
  HWND hList = m_list.GetHwnd();
  POINT point{static_cast<short>(LOWORD(lPoint)), static_cast<short>(HIWORD(lPoint))};
  if (lPoint == -1) {  // from the keyboard: under the selected row, or the list's corner
    RECT rect{};
    const auto iSelected = static_cast<int>(SendMessageW(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    rect.left = LVIR_BOUNDS;
    if (iSelected < 0 || !SendMessageW(hList, LVM_GETITEMRECT, static_cast<WPARAM>(iSelected), reinterpret_cast<LPARAM>(&rect)))
      rect = RECT{};
    point = POINT{rect.left + 8, rect.bottom};
    ClientToScreen(hList, &point);
  } else {
    // A right click on a row outside the selection selects that row alone first.
    LVHITTESTINFO hit{};
    hit.pt = point;
    ScreenToClient(hList, &hit.pt);
    const auto iRow = static_cast<int>(SendMessageW(hList, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (iRow >= 0 && !(SendMessageW(hList, LVM_GETITEMSTATE, static_cast<WPARAM>(iRow), LVIS_SELECTED) & LVIS_SELECTED))
      m_list.SelectIndex(iRow);
  }
  const UINT uRow = m_presenter.GetSelectedRecord() != nullptr ? MF_ENABLED : MF_GRAYED;
  HMENU hMenu = CreatePopupMenu();
  AppendMenuW(hMenu, MF_STRING | uRow, IDM_ROW_BASIC_CONFIG, L"&Basic Config...");
  const UINT uOne = m_list.GetSelectedKeys().size() == 1 ? MF_ENABLED : MF_GRAYED;
  AppendMenuW(hMenu, MF_STRING | uOne, IDM_ROW_OPEN_PAGE, L"&Open web page");
  AppendMenuW(hMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(hMenu, MF_STRING | uRow, IDM_ROW_COPY_MAC, L"Copy &MAC address");
  AppendMenuW(hMenu, MF_STRING | uRow, IDM_ROW_COPY_IP, L"Copy &IP address");
  AppendMenuW(hMenu, MF_STRING | uRow, IDM_ROW_COPY_CSV, L"&Copy row as CSV");
  AppendMenuW(hMenu, MF_SEPARATOR, 0, nullptr);
  // Greyed when the log holds nothing to take back; the history then says why.
  const bool bUndo = uOne == MF_ENABLED && m_presenter.GetUndoForSelected().IsAvailable();
  AppendMenuW(hMenu, MF_STRING | (bUndo ? MF_ENABLED : MF_GRAYED), IDM_ROW_UNDO, L"&Undo last change...");
  AppendMenuW(hMenu, MF_STRING | uOne, IDM_ROW_HISTORY, L"Change &history...");
  // The chosen command arrives as WM_COMMAND once the menu has closed.
  TrackMenu(hMenu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, point);
}

void CQUORINDlg::ShowHeaderMenu(LPARAM lPoint) {
  HMENU hMenu = CreatePopupMenu();
  for (int i = CDeviceColumnSet::kDefaultCount; i < CDeviceColumnSet::kCount; ++i)
    AppendMenuW(hMenu, MF_STRING | (m_list.IsColumnShown(i) ? MF_CHECKED : MF_UNCHECKED), IDM_COLUMN + i,
                WideFromUtf8(CDeviceColumnSet::Get(i).pszTitle).c_str());
  AppendMenuW(hMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(hMenu, MF_STRING, IDM_FIT_COLUMNS, L"Fit columns to contents");
  AppendMenuW(hMenu, MF_STRING | (m_list.GetOrder().IsNewestFirst() ? MF_GRAYED : MF_ENABLED), IDM_SORT_NEWEST,
              L"Sort newest first");
  TrackMenu(hMenu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, POINT{static_cast<short>(LOWORD(lPoint)), static_cast<short>(HIWORD(lPoint))});
}

void CQUORINDlg::ShowTargetsMenu() {
  HMENU hMenu = CreatePopupMenu();
  AppendMenuW(hMenu, MF_STRING, IDM_ADD_TARGET, WideFromUtf8(CTargetList::kAddCommand).c_str());
  AppendMenuW(hMenu, MF_SEPARATOR, 0, nullptr);
  const std::vector<std::string>& targets = m_targets.Get();
  if (targets.empty()) AppendMenuW(hMenu, MF_STRING | MF_GRAYED, 0, WideFromUtf8(CTargetList::kNoTargets).c_str());
  for (size_t i = 0; i < targets.size() && IDM_REMOVE_TARGET + static_cast<int>(i) <= IDM_REMOVE_TARGET_LAST; ++i)
    AppendMenuW(hMenu, MF_STRING, IDM_REMOVE_TARGET + i, WideFromUtf8(CTargetList::RemoveText(targets[i])).c_str());
  AppendMenuW(hMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(hMenu, MF_STRING | (targets.empty() ? MF_GRAYED : MF_ENABLED), IDM_CLEAR_TARGETS,
              WideFromUtf8(CTargetList::kClearCommand).c_str());
  TrackMenuBelow(hMenu, IDC_TARGETS);
}

void CQUORINDlg::ShowPlansMenu() {
  HMENU hMenu = CreatePopupMenu();
  AppendMenuW(hMenu, MF_STRING, IDM_APPLY_PLAN, L"&Apply plan...");
  AppendMenuW(hMenu, MF_STRING, IDM_BACKUP, L"&Back up...");
  AppendMenuW(hMenu, MF_SEPARATOR, 0, nullptr);
  const std::string sLogPath = CChangeLog::DefaultPath();
  AppendMenuW(hMenu, MF_STRING | (m_bLogChanges ? MF_CHECKED : MF_UNCHECKED) | (sLogPath.empty() ? MF_GRAYED : 0),
              IDM_LOG_CHANGES, WideFromUtf8(CChangeLogSetting::MenuText(sLogPath)).c_str());
  TrackMenuBelow(hMenu, IDC_PLANS);
}

void CQUORINDlg::TrackMenuBelow(HMENU hMenu, int iButton) {
  RECT button;
  GetWindowRect(GetDlgItem(m_hWnd, iButton), &button);
  TrackMenu(hMenu, TPM_LEFTALIGN | TPM_TOPALIGN, POINT{button.left, button.bottom});
}

void CQUORINDlg::TrackMenu(HMENU hMenu, UINT uFlags, POINT point) {
  {
    const CModalPasses passes(m_hWnd);
    TrackPopupMenu(hMenu, uFlags, point.x, point.y, 0, m_hWnd, nullptr);
  }
  DestroyMenu(hMenu);
}

void CQUORINDlg::ShowStatusMenu(LPARAM lPoint) {
  HMENU hMenu = CreatePopupMenu();
  AppendMenuW(hMenu, MF_STRING | (m_history.IsEmpty() ? MF_GRAYED : MF_ENABLED), IDM_CLEAR_STATUS,
              L"Clear status history");
  TrackMenu(hMenu, TPM_LEFTALIGN, POINT{static_cast<short>(LOWORD(lPoint)), static_cast<short>(HIWORD(lPoint))});
}

void CQUORINDlg::OnAddTarget() {
  std::string sText, sReason;
  // A refused text comes back with the reason, so a typo is mended rather than typed again.
  while (AskForTarget(
      m_hWnd, sReason, &sText, [this] { PollDevices(); }, [this](int iMs) { PauseForAnswer(iMs); })) {
    if (AddTarget(sText, &sReason)) return;
  }
}

bool CQUORINDlg::AddTarget(const std::string& sText, std::string* psError) {
  if (!m_targets.Add(sText, psError)) return false;
  UpdateState();
  return true;
}

void CQUORINDlg::RemoveTarget(size_t nIndex) { m_targets.Remove(nIndex); }

bool CQUORINDlg::ChooseFile(const FileChoice& choice, std::wstring* psPath, DWORD* pdwFilter) {
  wchar_t szPath[MAX_PATH] = L"";
  lstrcpynW(szPath, psPath->c_str(), MAX_PATH);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = m_hWnd;
  dialog.lpstrFilter = choice.pszFilter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = szPath;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrTitle = choice.pszTitle;
  dialog.lpstrDefExt = choice.pszDefaultExtension;
  dialog.Flags = OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY |
                 (choice.bSave ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  {
    const CModalPasses passes(m_hWnd);
    if (!(choice.bSave ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) return false;
  }
  *psPath = szPath;
  if (pdwFilter != nullptr) *pdwFilter = dialog.nFilterIndex;
  return true;
}

void CQUORINDlg::OnExport() {
  std::wstring sPath = L"kesto-devices.csv";
  DWORD dwFilter = 1;
  if (!ChooseFile({true, L"Export", L"CSV files (*.csv)\0*.csv\0JSON files (*.json)\0*.json\0", nullptr}, &sPath,
                  &dwFilter))
    return;
  // A name without a known ending takes the one of the chosen file type.
  ExportFormat format;
  if (!ExportFormatForPath(Utf8FromWide(sPath), &format)) sPath += dwFilter == 2 ? L".json" : L".csv";
  ExportTo(sPath);
}

bool CQUORINDlg::ExportTo(const std::wstring& sPath) {
  ExportFormat format;
  if (!ExportFormatForPath(Utf8FromWide(sPath), &format)) {
    ShowMessage(CWindowTexts::ExportNameRefused(Utf8FromWide(sPath)));
    return false;
  }
  const std::vector<ListedDevice> devices = m_presenter.ShownDevices();
  std::string sError;
  if (!WriteChosenFile(Utf8FromWide(sPath), ExportDevices(devices, format), &sError)) {
    ShowMessage(CWindowTexts::NotWritten("The device list", Utf8FromWide(sPath), sError));
    return false;
  }
  AddStatus(CWindowTexts::Exported(devices.size(), FileNameOf(sPath)));
  return true;
}

void CQUORINDlg::OnApplyPlan() {
  std::wstring sPath;
  if (ChooseFile({false, L"Apply plan", L"Plans and backups (*.csv;*.json)\0*.csv;*.json\0All files (*.*)\0*.*\0",
                  nullptr},
                 &sPath, nullptr))
    ApplyPlanFrom(sPath);
}

bool CQUORINDlg::ApplyPlanFrom(const std::wstring& sPath) {
  std::string sBytes, sError;
  // One byte over the bound is enough to refuse a larger file.
  if (!ReadFileStart(sPath, kMaxPlanBytes + 1, &sBytes, &sError)) {
    ShowMessage("The plan " + Utf8FromWide(sPath) + " could not be read:\n" + sError);
    return false;
  }
  PlanPreview preview;
  std::vector<std::string> errors;
  if (!m_presenter.PreviewPlanText(sBytes, &preview, &errors)) {
    ShowMessage(CPlanPreviewTable::RefusalText(FileNameOf(sPath), errors));
    return false;
  }
  if (!ConfirmPlan(
          m_hWnd, FileNameOf(sPath), preview, [this] { m_presenter.PollWhileModal(); },
          [this](int iMs) { PauseForAnswer(iMs); }))
    return false;
  if (!m_presenter.StartPlan(preview, &sError)) {
    ShowMessage(CWindowTexts::PlanNotSent(sError));
    return false;
  }
  Flush();
  return true;
}

void CQUORINDlg::OnBackup() {
  std::wstring sPath = L"kesto-backup.json";
  if (ChooseFile({true, L"Back up", L"JSON files (*.json)\0*.json\0", L"json"}, &sPath, nullptr)) BackupTo(sPath);
}

bool CQUORINDlg::BackupTo(const std::wstring& sPath) {
  const size_t nDevices = m_presenter.ListedRecords().size();
  if (nDevices == 0) {
    ShowMessage(CWindowTexts::kNothingToBackUp);
    return false;
  }
  SYSTEMTIME now{};
  GetSystemTime(&now);
  char szTime[32];
  std::snprintf(szTime, sizeof szTime, "%04u-%02u-%02uT%02u:%02u:%02uZ", now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond);
  std::string sError;
  if (!WriteChosenFile(Utf8FromWide(sPath), m_presenter.BackupText(szTime), &sError)) {
    ShowMessage(CWindowTexts::NotWritten("The backup", Utf8FromWide(sPath), sError));
    return false;
  }
  AddStatus(CWindowTexts::BackedUp(nDevices, FileNameOf(sPath)));
  return true;
}

void CQUORINDlg::OnUndo() {
  const CUndoLastChange undo = m_presenter.GetUndoForSelected();
  if (!undo.IsAvailable()) {
    if (!undo.Reason().empty()) ShowMessage(undo.Reason(), CWindowTexts::kCaption);
    return;
  }
  if (ConfirmUndo(
          m_hWnd, undo.PreviewText(), [this] { m_presenter.PollWhileModal(); }, [this](int iMs) { PauseForAnswer(iMs); }))
    m_presenter.SendUndo(undo);
}

void CQUORINDlg::OnChangeHistory() {
  if (m_presenter.GetSelectedRecord() == nullptr) return;
  ShowChangeHistory(
      m_hWnd, m_presenter.GetHistoryForSelected(), [this] { m_presenter.PollWhileModal(); },
      [this](int iMs) { PauseForAnswer(iMs); });
}

void CQUORINDlg::OnLogChanges() {
  m_bLogChanges = !m_bLogChanges;
  // Kept at once, not at exit, so a crash does not switch the log back on.
  if (m_settings.CreateKey(platform::RegistryRoot::kCurrentUser, kChangeLogKey)) {
    platform::RegistryKey key;
    if (m_settings.OpenKey(platform::RegistryRoot::kCurrentUser, kChangeLogKey, &key)) {
      WriteText(m_settings, key, "enabled", m_bLogChanges ? "true" : "false");
      m_settings.CloseKey(key);
    }
  }
  StartChangeLog();
  AddStatus(CChangeLogSetting::Switched(m_bLogChanges, CChangeLog::DefaultPath()));
}

void CQUORINDlg::StartChangeLog() { CChangeLogSetting::Apply(m_bLogChanges, "native window", {}); }

void CQUORINDlg::CopyRow(int iWhat) {
  DeviceRowKey key;
  if (m_presenter.GetSelectedRecord() == nullptr || !m_list.GetSelected(&key)) return;
  const CDeviceRowStore::Row* pRow = m_list.Find(key);
  if (pRow == nullptr) return;
  std::string sText;
  if (iWhat == IDM_ROW_COPY_MAC)
    sText = FormatMAC(pRow->record.byMAC);
  else if (iWhat == IDM_ROW_COPY_IP)
    sText = FormatAddress(pRow->record.dwIPAddress);
  else
    sText = DeviceCsvHeader() + DeviceToCsvRow(pRow->record, pRow->mark == CDeviceRowStore::kWarning);
  PutOnClipboard(m_hWnd, WideFromUtf8(sText));
}

void CQUORINDlg::AddStatus(const std::string& sText) {
  m_history.Add(sText);
  SetDlgItemTextW(m_hWnd, IDC_STATUS, WideFromUtf8(m_history.Latest()).c_str());
  m_sStatusTip = m_history.IsEmpty() ? std::wstring() : WideFromUtf8(m_history.AllLines()) + L"\n\n(right-click to clear)";
}

void CQUORINDlg::UpdateState() {
  DeviceListFacts facts;
  facts.nRows = m_list.GetRowCount();
  facts.nShown = m_list.GetShownCount();
  facts.bAnyAnswer = m_bAnyAnswer;
  facts.bEmptyForLong = m_presenter.IsEmptyForLong();
  facts.bFiltering = WindowTextOf(GetDlgItem(m_hWnd, IDC_FILTER)).find_first_not_of(L" \t") != std::wstring::npos;
  facts.bNoBroadcastAdapter = m_targets.LeavesNothingToProbe(m_bNoUsableAdapter);
  const std::wstring sCount = WideFromUtf8(CDeviceListState::CountText(facts));
  if (WindowTextOf(GetDlgItem(m_hWnd, IDC_COUNT)) != sCount) SetDlgItemTextW(m_hWnd, IDC_COUNT, sCount.c_str());
  m_list.SetEmptyText(WideFromUtf8(CDeviceListState::EmptyText(facts)));
  const bool bRow = m_presenter.GetSelectedRecord() != nullptr;
  // Basic Config works on one row or several; a web page is one device's.
  const bool bOne = bRow && m_list.GetSelectedKeys().size() == 1;
  for (const auto& [iId, bEnabled] : {std::pair{IDC_BASIC_CONFIG, bRow}, std::pair{IDC_LAUNCH_CONFIGURATOR, bOne}}) {
    HWND hButton = GetDlgItem(m_hWnd, iId);
    // The focus leaves a button before it is greyed, so the keyboard is never stranded.
    if (!bEnabled && GetFocus() == hButton) SetFocus(m_list.GetHwnd());
    EnableWindow(hButton, bEnabled);
  }
  EnableWindow(GetDlgItem(m_hWnd, IDC_NEWEST_FIRST), !m_list.GetOrder().IsNewestFirst());
}

void CQUORINDlg::Flush() {
  if (m_hWnd == nullptr) return;
  m_list.Flush();
  UpdateState();
}

void CQUORINDlg::SetAdapterNames(const std::vector<std::string>& names) {
  m_adapters = names;
  UpdateAdapterTexts();
}

void CQUORINDlg::UpdateAdapterTexts() {
  m_qwAdapterTableVersion = m_finder->GetInterfaceSnapshot().GetVersion();
  const std::vector<platform::NetInterface>& table = m_presenter.GetInterfaces();
  m_bNoUsableAdapter = UsableInterfaceNames(table).empty();
  HWND hBox = GetDlgItem(m_hWnd, IDC_ADAPTER);
  SendMessageW(hBox, CB_RESETCONTENT, 0, 0);
  SendMessageW(hBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(CWindowTexts::kAllAdapters).c_str()));
  int iSelected = 0;
  for (size_t i = 0; i < m_adapters.size(); ++i) {
    const std::string sText = CWindowTexts::AdapterChoice(m_adapters[i], table);
    SendMessageW(hBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(sText).c_str()));
    if (m_adapters[i] == m_presenter.GetSelectedAdapter()) iSelected = static_cast<int>(i) + 1;
  }
  SendMessageW(hBox, CB_SETCURSEL, static_cast<WPARAM>(iSelected), 0);
}

void CQUORINDlg::SetStatusText(const std::string& sText) { AddStatus(sText); }

KESTO_RECORD CQUORINDlg::RecordOf(DeviceRowKey key) const {
  KESTO_RECORD probe{};
  MacFromKey(key, probe.byMAC);
  const CKestoInfo* pEntry = m_finder->FindByMAC(probe);
  return pEntry != nullptr ? pEntry->GetRecord() : probe;
}

void CQUORINDlg::InsertTopRow(DeviceRowKey key, const DeviceRowTexts&, bool bShown) {
  m_bAnyAnswer = true;
  m_list.Insert(key, RecordOf(key), bShown);
}

void CQUORINDlg::SetRowTexts(DeviceRowKey key, const DeviceRowTexts&) { m_list.SetRecord(key, RecordOf(key)); }

void CQUORINDlg::SetRowShown(DeviceRowKey key, bool bShown) { m_list.SetShown(key, bShown); }

void CQUORINDlg::SetRowMarks(DeviceRowKey key, bool bWarning) {
  // Settings that were sent but never showed up in an answer must not look settled.
  uint8_t byMAC[6];
  MacFromKey(key, byMAC);
  const ApplyState* pState = m_presenter.GetApplyTracker().Find(byMAC);
  const bool bUnsettled = pState != nullptr && (*pState == ApplyState::kNotConfirmed || *pState == ApplyState::kNotSent);
  m_list.SetMark(key, bWarning ? CDeviceRowStore::kWarning : bUnsettled ? CDeviceRowStore::kUnsettled
                                                                         : CDeviceRowStore::kNoMark);
}

void CQUORINDlg::DeleteRow(DeviceRowKey key) { m_list.Delete(key); }

bool CQUORINDlg::GetSelectedRow(DeviceRowKey* pKey) const { return m_list.GetSelected(pKey); }

std::vector<DeviceRowKey> CQUORINDlg::GetSelectedRows() const { return m_list.GetSelectedKeys(); }

bool CQUORINDlg::RunConfigDialog(CConfigKestoModel& model) {
  CConfigKestoDlg dialog(model);
  // The addresses the other listed devices use, for the check before sending.
  std::vector<CConfigAddressCheck::OtherDevice> others;
  DeviceRowKey selected = 0;
  const bool bSelected = m_list.GetSelected(&selected);
  others.reserve(static_cast<size_t>(m_list.GetRowCount()));
  for (const auto& [key, row] : m_list.GetStore().Rows()) {
    if (bSelected && key == selected) continue;
    const std::string sName = FieldText(row.record.szName, sizeof row.record.szName);
    others.push_back({row.record.dwIPAddress,
                      (sName.empty() ? "" : RowTextsOf(row.record)[0] + " ") + "(" + FormatMAC(row.record.byMAC) + ")"});
  }
  dialog.SetOtherDevices(std::move(others));
  return dialog.RunModal(
      m_hWnd, [this] { m_presenter.PollWhileModal(); }, [this](int iMs) { PauseForAnswer(iMs); }, m_fnConfigTurn);
}
