// The native main window in-process: the template's window and controls, the
// list view's columns and rows as the presenter fills them, and the commands.
#include "app/win32/QUORINDlg.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/win32/MessagePump.h"
#include "app/win32/resource.h"
#include "app/logic/DeviceColumnSet.h"
#include "app/win32/WideText.h"
#include "discovery/KestoWire.h"
#include "formats/DeviceCsv.h"
#include "plan/ChangeHistory.h"
#include "plan/ChangeLog.h"
#include "plan/ChangeLogEntry.h"
#include "platform/MemoryRegistry.h"
#include "support/FakeClock.h"
#include "support/FakeDatagramSocket.h"
#include "support/RecordBuilder.h"
#include "tests/win32/DialogTemplateCheck.h"
#include "tests/win32/ListViewAccess.h"
#include "version/KestoVersion.h"

namespace {

// What a test does from inside a loop the window turns (a message box, a menu,
// a dialog): called every 10 ms on this thread until it returns true.
std::function<bool()> g_fnTick;

void CALLBACK OnTick(HWND, UINT, UINT_PTR uId, DWORD) {
  if (g_fnTick && !g_fnTick()) return;
  KillTimer(nullptr, uId);
  g_fnTick = nullptr;
}

void WhileOpen(std::function<bool()> fnTick) {
  g_fnTick = std::move(fnTick);
  SetTimer(nullptr, 0, 10, &OnTick);
}

// A left click at a point of a control, as the mouse sends it: a greyed control's
// clicks go to the window under it, as the system sends them.
void ClickAt(HWND hControl, POINT point, WPARAM wKeys = 0) {
  while (!IsWindowEnabled(hControl) && GetParent(hControl) != nullptr) {
    MapWindowPoints(hControl, GetParent(hControl), &point, 1);
    hControl = GetParent(hControl);
  }
  const LPARAM lPoint = MAKELPARAM(point.x, point.y);
  PostMessageW(hControl, WM_LBUTTONDOWN, MK_LBUTTON | wKeys, lPoint);
  PostMessageW(hControl, WM_LBUTTONUP, wKeys, lPoint);
}

POINT MiddleOf(HWND hControl) {
  RECT rect{};
  GetClientRect(hControl, &rect);
  return POINT{rect.right / 2, rect.bottom / 2};
}

// The file name box of the system's file dialog captioned pszCaption, or null while it is not up.
HWND FileNameBox(const char* pszCaption) {
  HWND hDialog = FindWindowA(nullptr, pszCaption);
  if (hDialog == nullptr || !IsWindowVisible(hDialog)) return nullptr;
  for (int iId : {0x47c /* cmb13, the Explorer style's */, 0x480 /* edt1 */}) {
    HWND hControl = GetDlgItem(hDialog, iId);
    if (hControl == nullptr) continue;
    // An extended combo box holds a combo box that holds the edit control.
    while (HWND hInner = FindWindowExA(hControl, nullptr, nullptr, nullptr)) hControl = hInner;
    return hControl;
  }
  return nullptr;
}

// Bounds a wait on a window that never became usable: cancels it if it is up; true.
bool GiveUpOn(const char* pszCaption) {
  if (HWND hWnd = FindWindowA(nullptr, pszCaption)) PostMessageW(hWnd, WM_COMMAND, IDCANCEL, 0);
  return true;
}

// A file's first bytes, or empty.
std::string FileStart(const std::wstring& sPath) {
  std::string sBytes;
  if (FILE* pFile = _wfopen(sPath.c_str(), L"rb")) {
    char szBuffer[4096];
    sBytes.assign(szBuffer, fread(szBuffer, 1, sizeof szBuffer, pFile));
    fclose(pFile);
  }
  return sBytes;
}

std::wstring TempPath(const wchar_t* pszName) {
  wchar_t szDir[MAX_PATH];
  GetTempPathW(MAX_PATH, szDir);
  return std::wstring(szDir) + pszName;
}

class MainWindowWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    auto socket = std::make_unique<FakeDatagramSocket>();
    pSocket = socket.get();
    KestoFinderOptions options;
    options.pTicks = &clock;
    options.fnReadInterfaces = nullptr;  // only the one target, whatever this computer's adapters
    auto finder = std::make_unique<CKestoFinder>(options, std::move(socket));
    pFinder = finder.get();
    window = std::make_unique<CQUORINDlg>(
        std::move(finder), [this](const std::string& sUrl) { urls.push_back(sUrl); }, &settings);
    ASSERT_TRUE(window->Create());
    hList = DeviceListOf(window->GetHwnd());
    ASSERT_NE(hList, nullptr);
  }

  // The program's next start: a new window over the same settings (the old one keeps its own on closing).
  void ReopenWindow() {
    window.reset();
    window = std::make_unique<CQUORINDlg>(
        std::make_unique<CKestoFinder>(KestoFinderOptions{}, std::make_unique<FakeDatagramSocket>()), nullptr,
        &settings);
    ASSERT_TRUE(window->Create());
    hList = DeviceListOf(window->GetHwnd());
  }
  void Answer(const KESTO_RECORD& record) { pSocket->Queue(RecordBytes(record)); }
  void PassUntilRead() {
    for (int i = 0; i < 100 && pSocket->Waiting() > 0; ++i) window->PollDevices();
  }
  // Handles what the queue holds, bounded, through the main window's keyboard handling as the program does.
  void PumpAll() {
    for (int i = 0; i < 1000 && PumpOneMessage(window->GetHwnd()); ++i) {
    }
  }
  void Key(HWND hTo, WPARAM wKey) {
    PostMessageW(hTo, WM_KEYDOWN, wKey, 1);
    PostMessageW(hTo, WM_KEYUP, wKey, 0xC0000001);
    PumpAll();
  }
  static void SetShift(bool bDown) { SetKey(VK_SHIFT, bDown); }
  static void SetKey(int iKey, bool bDown) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[iKey] = bDown ? 0x80 : 0;
    SetKeyboardState(keys);
  }
  // A click on a button of the main window; it returns once whatever the click opened has closed.
  void ClickButton(int iId) {
    ClickAt(Item(iId), MiddleOf(Item(iId)));
    PumpAll();
  }
  // A point on a row's label, in the list's client coordinates; the row is scrolled into view first.
  POINT RowPoint(int iRow) {
    SendMessageW(hList, LVM_ENSUREVISIBLE, static_cast<WPARAM>(iRow), FALSE);
    RECT rect{};
    rect.left = LVIR_LABEL;
    SendMessageW(hList, LVM_GETITEMRECT, static_cast<WPARAM>(iRow), reinterpret_cast<LPARAM>(&rect));
    return POINT{rect.left + 4, (rect.top + rect.bottom) / 2};
  }
  // A click on a row, with Ctrl or Shift held when asked.
  void ClickRow(int iRow, int iKey = 0) {
    if (iKey != 0) SetKey(iKey, true);
    ClickAt(hList, RowPoint(iRow), iKey == VK_CONTROL ? MK_CONTROL : iKey == VK_SHIFT ? MK_SHIFT : 0);
    PumpAll();
    if (iKey != 0) SetKey(iKey, false);
  }
  // The tooltip a control shows now: its own while it is enabled, the window's over its place while it is greyed.
  std::string ToolTipAt(int iId) {
    // The main window's own tooltip window (the list view has one of its own).
    std::pair<HWND, HWND> search{window->GetHwnd(), nullptr};
    EnumThreadWindows(GetCurrentThreadId(), [](HWND hWnd, LPARAM lParam) {
      auto& found = *reinterpret_cast<std::pair<HWND, HWND>*>(lParam);
      char szClass[64] = {};
      GetClassNameA(hWnd, szClass, sizeof szClass);
      if (lstrcmpiA(szClass, TOOLTIPS_CLASSA) != 0 || GetWindow(hWnd, GW_OWNER) != found.first) return TRUE;
      found.second = hWnd;
      return FALSE;
    }, reinterpret_cast<LPARAM>(&search));
    HWND hTip = search.second;
    if (hTip == nullptr) return "(no tooltip window)";
    HWND hControl = Item(iId);
    TTHITTESTINFOW hit{};
    hit.hwnd = IsWindowEnabled(hControl) ? hControl : window->GetHwnd();
    hit.pt = MiddleOf(hControl);
    if (hit.hwnd != hControl) MapWindowPoints(hControl, hit.hwnd, &hit.pt, 1);
    hit.ti.cbSize = sizeof hit.ti;
    if (!SendMessageW(hTip, TTM_HITTESTW, 0, reinterpret_cast<LPARAM>(&hit))) return "(no tool here)";
    wchar_t szText[80] = {};
    hit.ti.lpszText = szText;
    SendMessageW(hTip, TTM_GETTEXTW, 0, reinterpret_cast<LPARAM>(&hit.ti));
    return Utf8FromWide(szText);
  }
  HWND Item(int iId) const { return GetDlgItem(window->GetHwnd(), iId); }
  // Once the popup menu fnOpen opened is up, notes its items' states and presses the
  // keys fnKeys gives for it (WM_CHAR or WM_KEYDOWN); fnThen gets its turns afterwards
  // (from inside whatever the item opened) until it returns true. Returns once all has closed.
  void PressInMenu(const std::function<void()>& fnOpen, const std::function<std::vector<MSG>(HMENU)>& fnKeys,
                   std::function<bool()> fnThen) {
    bool bPressed = false;
    int nTicks = 0;
    menuStates.clear();
    WhileOpen([&] {
      if (++nTicks > 500) {
        EndMenu();
        return true;
      }
      if (!bPressed) {
        HWND hMenuWindow = FindWindowA("#32768", nullptr);
        if (hMenuWindow == nullptr || !IsWindowVisible(hMenuWindow)) return false;
        auto hMenu = reinterpret_cast<HMENU>(SendMessageW(hMenuWindow, MN_GETHMENU, 0, 0));
        for (int i = 0; i < GetMenuItemCount(hMenu); ++i)
          menuStates[GetMenuItemID(hMenu, i)] = GetMenuState(hMenu, static_cast<UINT>(i), MF_BYPOSITION);
        for (const MSG& key : fnKeys(hMenu)) PostMessageW(window->GetHwnd(), key.message, key.wParam, key.lParam);
        bPressed = true;
        return false;
      }
      if (fnThen) return fnThen();
      EndMenu();  // a greyed item leaves the menu open
      return true;
    });
    fnOpen();
    EXPECT_TRUE(bPressed) << "no menu came up";
  }
  // The item whose mnemonic is cKey.
  void ChooseFromMenu(const std::function<void()>& fnOpen, wchar_t cKey, std::function<bool()> fnThen = {}) {
    PressInMenu(fnOpen, [cKey](HMENU) { return std::vector<MSG>{MSG{nullptr, WM_CHAR, cKey, 1, 0, {}}}; },
                std::move(fnThen));
  }
  // The item of command uCommand, reached with the arrow keys and chosen with Enter.
  void ChooseCommand(const std::function<void()>& fnOpen, UINT uCommand) {
    PressInMenu(fnOpen, [uCommand](HMENU hMenu) {
      std::vector<MSG> keys;
      for (int i = 0; i < GetMenuItemCount(hMenu); ++i) {
        if (GetMenuState(hMenu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) continue;
        keys.push_back(MSG{nullptr, WM_KEYDOWN, VK_DOWN, 1, 0, {}});
        if (GetMenuItemID(hMenu, i) == uCommand) break;
      }
      keys.push_back(MSG{nullptr, WM_KEYDOWN, VK_RETURN, 1, 0, {}});
      return keys;
    }, {});
  }
  void ChooseRowCommand(UINT uCommand) { ChooseCommand([this] { ContextMenuOnRow(0); }, uCommand); }
  void ChooseHeaderCommand(UINT uCommand) {
    ChooseCommand([this] {
      HWND hHeader = reinterpret_cast<HWND>(SendMessageW(hList, LVM_GETHEADER, 0, 0));
      POINT point = MiddleOf(hHeader);
      point.x = 8;
      ClientToScreen(hHeader, &point);
      PostMessageW(hList, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hList), MAKELPARAM(point.x, point.y));
      PumpAll();
    }, uCommand);
  }
  // The menu key (or Shift+F10) on the list, or a right click at a row: the context menu's request.
  void ContextMenuOnRow(int iRow) {
    POINT point = RowPoint(iRow);
    ClientToScreen(hList, &point);
    PostMessageW(hList, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hList), MAKELPARAM(point.x, point.y));
    PumpAll();
  }
  void Notify(NMHDR& header) {
    header.hwndFrom = hList;
    header.idFrom = IDC_DEVICE_LIST;
    SendMessageW(window->GetHwnd(), WM_NOTIFY, IDC_DEVICE_LIST, reinterpret_cast<LPARAM>(&header));
  }
  // A click on a column's header section.
  void ClickColumn(int iColumn) {
    HWND hHeader = reinterpret_cast<HWND>(SendMessageW(hList, LVM_GETHEADER, 0, 0));
    RECT rect{};
    SendMessageW(hHeader, HDM_GETITEMRECT, static_cast<WPARAM>(iColumn), reinterpret_cast<LPARAM>(&rect));
    ClickAt(hHeader, POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
    PumpAll();
  }
  void DoubleClickRow(int iRow) {
    const POINT point = RowPoint(iRow);
    const LPARAM lPoint = MAKELPARAM(point.x, point.y);
    ClickAt(hList, point);
    PostMessageW(hList, WM_LBUTTONDBLCLK, MK_LBUTTON, lPoint);
    PostMessageW(hList, WM_LBUTTONUP, 0, lPoint);
    PumpAll();
  }
  // Types into the filter box as the keyboard does: what it holds is rubbed out first.
  void TypeFilter(const std::wstring& sText) {
    SetFocus(Item(IDC_FILTER));
    TypeInto(Item(IDC_FILTER), sText);
    PumpAll();
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (int i = 0; i < ListRowCount(hList); ++i) names.push_back(CellText(hList, i, 0));
    return names;
  }
  // Opens "Basic Config..." through fnOpen and counts how often the dialog came up, cancelling it at once.
  int ConfigOpenings(const std::function<void()>& fnOpen) {
    int nOpened = 0;
    HWND hLast = nullptr;
    window->SetConfigTurnHook([&](CConfigKestoDlg& dialog) {
      if (dialog.GetHwnd() == hLast) return;
      hLast = dialog.GetHwnd();
      ++nOpened;
      ClickAt(dialog.GetItem(IDCANCEL), MiddleOf(dialog.GetItem(IDCANCEL)));
    });
    fnOpen();
    window->SetConfigTurnHook({});
    return nOpened;
  }
  // Types into an edit control as the keyboard does: what it holds is rubbed out first.
  static void TypeInto(HWND hEdit, const std::wstring& sText) {
    PostMessageW(hEdit, WM_KEYDOWN, VK_END, 1);
    for (int i = GetWindowTextLengthW(hEdit); i > 0; --i) PostMessageW(hEdit, WM_CHAR, VK_BACK, 1);
    for (wchar_t c : sText) PostMessageW(hEdit, WM_CHAR, c, 1);
  }
  // "Add target..." from the Targets menu, the text typed and OK clicked; a refused
  // text brings the box back with the reason above the prompt, which is returned
  // (and the box closed with Esc); empty when the text was taken.
  std::string AddTargetByHand(const std::wstring& sText) {
    HWND hFirst = nullptr;
    std::string sRefusal;
    int nTicks = 0;
    ChooseFromMenu([this] { ClickButton(IDC_TARGETS); }, L'a', [&] {
      HWND hBox = FindWindowA(nullptr, "Add target");
      if (hBox != nullptr && !IsWindowVisible(hBox)) hBox = nullptr;
      if (hFirst == nullptr) {
        if (hBox == nullptr) return ++nTicks > 300;
        hFirst = hBox;
        TypeInto(GetDlgItem(hBox, IDC_TARGET_TEXT), sText);
        ClickAt(GetDlgItem(hBox, IDOK), MiddleOf(GetDlgItem(hBox, IDOK)));
        return false;
      }
      if (hBox == hFirst) return false;  // the click is not taken yet
      if (hBox != nullptr) {
        sRefusal = WindowText(GetDlgItem(hBox, IDC_TARGET_PROMPT));
        PostMessageW(GetDlgItem(hBox, IDC_TARGET_TEXT), WM_KEYDOWN, VK_ESCAPE, 1);
      }
      return true;
    });
    EXPECT_NE(hFirst, nullptr) << "the box did not come up";
    return sRefusal;
  }
  // From a tick: once the file dialog captioned pszCaption is up, types sPath as its
  // file name and presses Enter; true when done.
  static bool TypeFileName(const char* pszCaption, const std::wstring& sPath) {
    HWND hName = FileNameBox(pszCaption);
    if (hName == nullptr) return false;

    TypeInto(hName, sPath);
    PostMessageW(hName, WM_KEYDOWN, VK_RETURN, 1);
    return true;
  }
  std::vector<FakeDatagramSocket::Sent> SentOfSize(size_t nSize) const {
    std::vector<FakeDatagramSocket::Sent> found;
    for (const auto& sent : pSocket->sent)
      if (sent.bytes.size() == nSize) found.push_back(sent);
    return found;
  }

  FakeClock clock{5000};
  FakeDatagramSocket* pSocket = nullptr;
  CKestoFinder* pFinder = nullptr;
  platform::MemoryRegistry settings;  // each test's own, so none sees another's window
  std::unique_ptr<CQUORINDlg> window;
  HWND hList = nullptr;
  std::vector<std::string> urls;
  std::map<UINT, UINT> menuStates;  // the last menu's items by command: MF_GRAYED, MF_CHECKED
};

const KESTO_RECORD kFirst = MakeDeviceRecord(1, "First", 0x0A000001u);
const KESTO_RECORD kSecond = MakeDeviceRecord(2, "Second", 0x0A000005u);

TEST_F(MainWindowWin32Test, WindowFollowsTheTemplate) {
  HWND hWnd = window->GetHwnd();
  EXPECT_EQ(WindowText(hWnd), "Tamrel Kesto Manager");
  const auto dwStyle = static_cast<DWORD>(GetWindowLongPtrA(hWnd, GWL_STYLE));
  const DWORD dwWanted = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  EXPECT_EQ(dwStyle & dwWanted, dwWanted) << std::hex << dwStyle;
  // The template's fixed frame is made a sizing one at start-up.
  const DWORD dwSizing = WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
  EXPECT_EQ(dwStyle & dwSizing, dwSizing);
  EXPECT_TRUE(GetWindowLongPtrA(hWnd, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_EQ(FontFace(hWnd), "MS Shell Dlg");

  DialogTemplate dlg;
  ASSERT_TRUE(LoadDialogTemplate(IDD_QUORIN_DIALOG, &dlg));
  EXPECT_TRUE(dlg.bExtended);
  EXPECT_EQ(dlg.dwStyle,
            static_cast<DWORD>(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU));
  EXPECT_EQ(dlg.dwExStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
  EXPECT_EQ(dlg.sTitle, "Tamrel Kesto Manager");
  EXPECT_EQ(dlg.sFont, "MS Shell Dlg");
  EXPECT_EQ(dlg.iPointSize, 8);
  EXPECT_EQ(dlg.cx, 387);
  EXPECT_EQ(dlg.cy, 113);

  RECT client;
  GetClientRect(hWnd, &client);
  // The template's width, and room for the filter row and the status line below its buttons.
  const RECT expected = DialogUnitsToPixels(hWnd, 0, 0, 387, 145);
  EXPECT_EQ(client.right, expected.right);
  EXPECT_EQ(client.bottom, expected.bottom);

  EXPECT_NE(SendMessageA(hWnd, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(SendMessageA(hWnd, WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_EQ(SendMessageA(hWnd, WM_QUERYDRAGICON, 0, 0), SendMessageA(hWnd, WM_GETICON, ICON_BIG, 0));
}

TEST_F(MainWindowWin32Test, ControlsFollowTheTemplate) {
  const DWORD dwButtonMask = BS_TYPEMASK | WS_TABSTOP;
  const DWORD dwListMask = LVS_TYPEMASK | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SORTASCENDING | LVS_SORTDESCENDING |
                           WS_BORDER | WS_TABSTOP;
  ExpectControls(
      window->GetHwnd(), IDD_QUORIN_DIALOG,
      {
          // The template's texts, with the mnemonics the Qt window has.
          {IDC_BASIC_CONFIG, "Button", "Basic Config...", dwButtonMask, BS_PUSHBUTTON | WS_TABSTOP, 4, 95, 119, 14,
           false, "&Basic Config..."},
          {IDC_DEVICE_LIST, "SysListView32", nullptr, dwListMask,
           LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, 4, 4, 379, 86},
          {IDC_LAUNCH_CONFIGURATOR, "Button", "Lauch Configurator...", dwButtonMask, BS_PUSHBUTTON | WS_TABSTOP, 129,
           95, 139, 14, false, "&Lauch Configurator..."},
      },
      false, false);
  // Several rows may be selected, with Ctrl and Shift.
  EXPECT_FALSE(GetWindowLongPtrA(hList, GWL_STYLE) & LVS_SINGLESEL);
  // Owner data: the list view asks for the texts of the rows it shows.
  EXPECT_TRUE(GetWindowLongPtrA(hList, GWL_STYLE) & LVS_OWNERDATA);
  EXPECT_NE(SendMessageA(hList, LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);  // the marks' icons
}

TEST_F(MainWindowWin32Test, ControlsHaveTheirPlacesAndTakeTabInOrder) {
  const struct {
    int iId;
    const char* pszClass;
    const char* pszText;
    int x, y, cx, cy;
  } kAdded[] = {
      // The filter row above the list, as in the Qt window; About in the button row.
      {IDC_FILTER_LABEL, "Static", "&Filter:", 4, 7, 24, 8},
      {IDC_FILTER, "Edit", "", 30, 4, 150, 14},
      {IDC_ADAPTER_LABEL, "Static", "&Adapter:", 186, 7, 30, 8},
      {IDC_ADAPTER, "ComboBox", "All adapters", 218, 4, 70, 0},
      {IDC_TARGETS, "Button", "&Targets", 292, 4, 43, 14},
      {IDC_EXPORT, "Button", "E&xport...", 339, 4, 44, 14},
      {IDC_DEVICE_LIST, "SysListView32", "", 4, 22, 379, 86},
      {IDC_BASIC_CONFIG, "Button", "&Basic Config...", 4, 113, 68, 14},
      {IDC_LAUNCH_CONFIGURATOR, "Button", "&Lauch Configurator...", 76, 113, 92, 14},
      {IDC_PLANS, "Button", "&Plans", 172, 113, 40, 14},
      {IDC_NEWEST_FIRST, "Button", "&Newest first", 274, 113, 62, 14},
      {IDC_ABOUT, "Button", "About...", 340, 113, 43, 14},
      {IDC_STATUS, "Static", "", 4, 131, 300, 10},
      {IDC_COUNT, "Static", "Searching...", 308, 131, 75, 10},
  };
  HWND hWnd = window->GetHwnd();
  for (const auto& want : kAdded) {
    SCOPED_TRACE(want.iId);
    HWND hControl = GetDlgItem(hWnd, want.iId);
    ASSERT_NE(hControl, nullptr);
    EXPECT_TRUE(SameText(ClassName(hControl), want.pszClass)) << ClassName(hControl);
    EXPECT_EQ(WindowText(hControl), want.pszText);
    RECT actual;
    GetWindowRect(hControl, &actual);
    MapWindowPoints(nullptr, hWnd, reinterpret_cast<POINT*>(&actual), 2);
    const RECT expected = DialogUnitsToPixels(hWnd, want.x, want.y, want.cx, want.cy);
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.right, expected.right);
    if (want.cy > 0) {
      EXPECT_EQ(actual.bottom, expected.bottom);
    }
  }
  const std::vector<int> kTabOrder = {IDC_FILTER_LABEL,  IDC_FILTER,  IDC_DEVICE_LIST, IDC_BASIC_CONFIG,
                                      IDC_LAUNCH_CONFIGURATOR, IDC_PLANS, IDC_NEWEST_FIRST, IDC_ABOUT,
                                      IDC_ADAPTER_LABEL, IDC_ADAPTER, IDC_TARGETS, IDC_EXPORT,
                                      IDC_STATUS,        IDC_COUNT};
  std::vector<int> order;
  for (HWND hChild : Children(hWnd)) order.push_back(GetDlgCtrlID(hChild));
  EXPECT_EQ(order, kTabOrder);
}

TEST_F(MainWindowWin32Test, FiveLeftAlignedColumnsWithTheirWidths) {
  const struct {
    const char* pszTitle;
    int iWidth;
  } kColumns[] = {{"Name", 110}, {"MAC Address", 150}, {"IP Address", 100}, {"Port", 40}, {"Version", 150}};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    char szTitle[64] = {};
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.pszText = szTitle;
    column.cchTextMax = sizeof szTitle;
    ASSERT_TRUE(SendMessageA(hList, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(szTitle, kColumns[i].pszTitle);
    EXPECT_EQ(column.cx, kColumns[i].iWidth);
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
  }
  LVCOLUMNA extra{};
  extra.mask = LVCF_WIDTH;
  EXPECT_FALSE(SendMessageA(hList, LVM_GETCOLUMNA, 5, reinterpret_cast<LPARAM>(&extra)));
  EXPECT_EQ(ListRowCount(hList), 0);
}

TEST_F(MainWindowWin32Test, RowsShowTheDevicesNewestFirst) {
  Answer(kFirst);
  Answer(kSecond);
  PassUntilRead();
  ASSERT_EQ(ListRowCount(hList), 2);
  const std::vector<std::string> kTop = {"Second", "00-1A-2B-3C-4D-02", "10.0.0.5", "10002", "FW 2.17"};
  const std::vector<std::string> kBottom = {"First", "00-1A-2B-3C-4D-01", "10.0.0.1", "10001", "FW 2.17"};
  for (int iColumn = 0; iColumn < 5; ++iColumn) {
    EXPECT_EQ(CellText(hList, 0, iColumn), kTop[iColumn]);
    EXPECT_EQ(CellText(hList, 1, iColumn), kBottom[iColumn]);
  }
}

TEST_F(MainWindowWin32Test, PortColumnShowsADashBelowOne) {
  const struct {
    int32_t iPort;
    const char* pszText;
  } kCases[] = {{0, "-"}, {-1, "-"}, {-70000, "-"}, {1, "1"}, {1444, "1444"}, {65535, "65535"}};
  uint8_t byLast = 10;
  for (const auto& test : kCases) {
    KESTO_RECORD record = MakeDeviceRecord(byLast++, "Port", 0x0A000009u);
    record.iPort = test.iPort;
    Answer(record);
    PassUntilRead();
    EXPECT_EQ(CellText(hList, 0, 3), test.pszText) << test.iPort;
  }
}

TEST_F(MainWindowWin32Test, SilentDeviceLosesItsRowAndComesBackOnTop) {
  Answer(kFirst);
  Answer(kSecond);
  PassUntilRead();
  clock.Advance(1500);
  Answer(kFirst);
  PassUntilRead();
  clock.Advance(501);  // kSecond silent for 2001 ms, kFirst for 501
  window->PollDevices();
  ASSERT_EQ(ListRowCount(hList), 1);
  EXPECT_EQ(CellText(hList, 0, 0), "First");

  Answer(kSecond);
  PassUntilRead();
  ASSERT_EQ(ListRowCount(hList), 2);
  EXPECT_EQ(CellText(hList, 0, 0), "Second");
}

TEST_F(MainWindowWin32Test, ChangedRecordRewritesEveryColumnTheNameToo) {
  Answer(kFirst);
  PassUntilRead();
  KESTO_RECORD changed = kFirst;
  SetRecordName(changed, "Renamed");
  changed.dwIPAddress = 0xC0A80164u;  // 192.168.1.100
  changed.iPort = 0;
  std::strncpy(changed.szVersion, "FW 3.0", sizeof changed.szVersion);
  Answer(changed);
  PassUntilRead();
  ASSERT_EQ(ListRowCount(hList), 1);
  EXPECT_EQ(CellText(hList, 0, 0), "Renamed");
  EXPECT_EQ(CellText(hList, 0, 2), "192.168.1.100");
  EXPECT_EQ(CellText(hList, 0, 3), "-");
  EXPECT_EQ(CellText(hList, 0, 4), "FW 3.0");
}

TEST_F(MainWindowWin32Test, LaunchOpensTheSelectedDevicesPageOnly) {
  Answer(kFirst);
  Answer(kSecond);
  PassUntilRead();
  ClickButton(IDC_LAUNCH_CONFIGURATOR);
  ClickButton(IDC_BASIC_CONFIG);  // no selection: no dialog, nothing sent
  EXPECT_TRUE(urls.empty());
  EXPECT_TRUE(SentOfSize(kesto_wire::kSetConfigSize).empty());

  ClickRow(0);  // kSecond, at 10.0.0.5
  ClickButton(IDC_LAUNCH_CONFIGURATOR);
  ClickRow(1);  // a plain click replaces the selection
  ClickButton(IDC_LAUNCH_CONFIGURATOR);
  EXPECT_EQ(urls, (std::vector<std::string>{"http://10.0.0.5/config.htm", "http://10.0.0.1/config.htm"}));
}

TEST_F(MainWindowWin32Test, CloseOnlyRaisesTheQuitFlag) {
  EXPECT_FALSE(window->IsQuitRequested());
  // The dialog manager turns the close into a posted Cancel.
  SendMessageA(window->GetHwnd(), WM_CLOSE, 0, 0);
  PumpAll();
  EXPECT_TRUE(window->IsQuitRequested());
  EXPECT_TRUE(IsWindow(window->GetHwnd()));
}

TEST_F(MainWindowWin32Test, PassesKeepRunningWhileAMessageBoxOrAMenuIsOpen) {
  // About's box and the Plans and Targets menus turn loops of their own: a device that
  // answers meanwhile is listed before they close.
  const struct {
    int iButton;
    bool bMenu;
  } kCases[] = {{IDC_ABOUT, false}, {IDC_PLANS, true}, {IDC_TARGETS, true}};
  uint8_t byDevice = 10;
  for (const auto& test : kCases) {
    SCOPED_TRACE(test.iButton);
    const int nBefore = ListRowCount(hList);
    Answer(MakeDeviceRecord(byDevice, "Late", 0x0A000100u + byDevice));
    ++byDevice;
    int nListedWhileOpen = -1, nTicks = 0;
    std::string sBoxText;
    WhileOpen([&] {
      HWND hBox = FindWindowA(nullptr, "About Tamrel Kesto Manager");
      if (++nTicks < 500 && (ListRowCount(hList) == nBefore || (!test.bMenu && hBox == nullptr))) return false;
      nListedWhileOpen = ListRowCount(hList);
      if (hBox != nullptr) {
        sBoxText = WindowText(GetDlgItem(hBox, 0xFFFF));  // a message box's text control
        PostMessageA(hBox, WM_COMMAND, IDOK, 0);
      }
      if (test.bMenu) EndMenu();
      return true;
    });
    ClickButton(test.iButton);
    EXPECT_EQ(nListedWhileOpen, nBefore + 1);
    if (!test.bMenu) {
      EXPECT_NE(sBoxText.find(std::string("Version ") + GetKestoVersion()), std::string::npos) << sBoxText;
    }
  }
  EXPECT_FALSE(window->IsQuitRequested());
}

TEST_F(MainWindowWin32Test, GreyedControlsSayWhyInTheirTooltips) {
  for (const KESTO_RECORD& record : {kFirst, kSecond}) Answer(record);
  PassUntilRead();
  const struct {
    int iSelected;  // rows clicked: 0 none, 1 one, 2 two (Ctrl)
    int iId;
    bool bEnabled;
    const char* pszTip;
  } kCases[] = {
      {0, IDC_BASIC_CONFIG, false, "Select a device in the list first (Ctrl or Shift for several)"},
      {0, IDC_LAUNCH_CONFIGURATOR, false, "Select a device in the list first"},
      {0, IDC_NEWEST_FIRST, false, "The list is already newest first"},
      {1, IDC_LAUNCH_CONFIGURATOR, true, "Opens the selected device's web page"},
      {2, IDC_LAUNCH_CONFIGURATOR, false, "Opens one device's web page: select only one"},
      {2, IDC_BASIC_CONFIG, true, "Gives the 2 selected devices the same settings at once"},
  };
  for (const auto& test : kCases) {
    SCOPED_TRACE(test.pszTip);
    if (test.iSelected >= 1) ClickRow(0);
    if (test.iSelected == 2) ClickRow(1, VK_CONTROL);
    EXPECT_EQ(SelectedListRows(hList).size(), static_cast<size_t>(test.iSelected));
    EXPECT_EQ(IsWindowEnabled(Item(test.iId)) != FALSE, test.bEnabled);
    EXPECT_EQ(ToolTipAt(test.iId), test.pszTip);
  }
}

TEST_F(MainWindowWin32Test, CtrlAndShiftSelectSeveralRowsAndTheFormPlansThemAll) {
  const KESTO_RECORD kThird = MakeDeviceRecord(3, "Third", 0x0A000009u);
  for (const KESTO_RECORD& record : {kFirst, kSecond, kThird}) Answer(record);
  PassUntilRead();  // newest first: Third, Second, First
  ClickRow(0);
  ClickRow(2, VK_CONTROL);
  EXPECT_EQ(SelectedListRows(hList), (std::vector<int>{0, 2}));
  ClickRow(1, VK_SHIFT);  // from the last clicked row
  EXPECT_EQ(SelectedListRows(hList), (std::vector<int>{1, 2}));
  ClickRow(0, VK_CONTROL);
  EXPECT_EQ(SelectedListRows(hList), (std::vector<int>{0, 1, 2}));
  EXPECT_TRUE(IsWindowEnabled(Item(IDC_BASIC_CONFIG)));
  EXPECT_FALSE(IsWindowEnabled(Item(IDC_LAUNCH_CONFIGURATOR)));

  // The form: addresses from 10.0.0.50, typed; the live plan lists the three; Apply sends it.
  int nStep = 0, nTicks = 0, nPlanRows = -1;
  std::string sApply, sTitle;
  WhileOpen([&] {
    HWND hForm = FindWindowA(nullptr, "Kesto Configuration: 3 devices");
    if (++nTicks > 500) return true;
    if (hForm == nullptr) return false;
    HWND hApply = GetDlgItem(hForm, IDOK);
    if (nStep++ == 0) {
      sTitle = WindowText(hForm);
      for (char c : std::string("10.0.0.50")) PostMessageA(GetDlgItem(hForm, IDC_MULTI_FIRST_IP), WM_CHAR, c, 1);
      return false;
    }
    nPlanRows = ListRowCount(GetDlgItem(hForm, IDC_MULTI_PLAN));
    sApply = WindowText(hApply);
    ClickAt(hApply, MiddleOf(hApply));
    return true;
  });
  ClickButton(IDC_BASIC_CONFIG);
  EXPECT_EQ(nPlanRows, 3);
  EXPECT_EQ(sApply, "&Apply to 3 devices");
  EXPECT_TRUE(IsWindowEnabled(window->GetHwnd()));

  // Sent from the passes, each to its device in the list's order.
  std::vector<std::pair<uint8_t, uint32_t>> sent;
  for (int i = 0; i < 50 && sent.size() < 3; ++i) {
    clock.Advance(100);
    window->PollDevices();
    sent.clear();
    for (const auto& config : SentOfSize(kesto_wire::kSetConfigSize)) {
      const KESTO_RECORD record = kesto_wire::DecodeRecord(config.bytes.data() + 4);
      const std::pair<uint8_t, uint32_t> one{record.byMAC[5], record.dwIPAddress};
      if (std::find(sent.begin(), sent.end(), one) == sent.end()) sent.push_back(one);
    }
  }
  ASSERT_FALSE(sent.empty());
  for (const auto& [byDevice, dwIP] : sent) EXPECT_EQ(dwIP, 0x0A000032u + (3 - byDevice)) << int{byDevice};
}

TEST_F(MainWindowWin32Test, TheFormSendsWhatTheAddressRuleRefusesOnlyBySendAnyway) {
  for (const KESTO_RECORD& record : {kFirst, kSecond}) Answer(record);
  PassUntilRead();
  ClickRow(0);
  ClickRow(1, VK_CONTROL);
  // A net mask that is no mask: Apply greys, "Send anyway" shows, Enter sends nothing.
  int nStep = 0, nTicks = 0;
  bool bSendShown = false, bApplyEnabled = true, bOpenAfterEnter = false;
  WhileOpen([&] {
    HWND hForm = FindWindowA(nullptr, "Kesto Configuration: 2 devices");
    if (++nTicks > 500) return true;
    if (hForm == nullptr) return false;
    HWND hSend = GetDlgItem(hForm, IDC_MULTI_SEND_ANYWAY);
    switch (nStep++) {
      case 0:
        for (char c : std::string("255.0.255.0")) PostMessageA(GetDlgItem(hForm, IDC_MULTI_NETMASK), WM_CHAR, c, 1);
        return false;
      case 1:
        bSendShown = IsWindowVisible(hSend) != FALSE;
        bApplyEnabled = IsWindowEnabled(GetDlgItem(hForm, IDOK)) != FALSE;
        PostMessageW(GetDlgItem(hForm, IDC_MULTI_NETMASK), WM_KEYDOWN, VK_RETURN, 1);
        PostMessageW(GetDlgItem(hForm, IDC_MULTI_NETMASK), WM_KEYUP, VK_RETURN, 0xC0000001);
        return false;
      default:
        bOpenAfterEnter = IsWindowVisible(hForm) != FALSE;
        ClickAt(hSend, MiddleOf(hSend));
        return true;
    }
  });
  ClickButton(IDC_BASIC_CONFIG);
  EXPECT_TRUE(bSendShown);
  EXPECT_FALSE(bApplyEnabled);
  EXPECT_TRUE(bOpenAfterEnter);
  // Sent from the passes to both devices, with the mask as typed.
  std::vector<uint8_t> devices;
  for (int i = 0; i < 50 && devices.size() < 2; ++i) {
    clock.Advance(100);
    window->PollDevices();
    devices.clear();
    for (const auto& config : SentOfSize(kesto_wire::kSetConfigSize)) {
      const KESTO_RECORD record = kesto_wire::DecodeRecord(config.bytes.data() + 4);
      EXPECT_EQ(record.dwNetMask, 0xFF00FF00u);
      if (std::find(devices.begin(), devices.end(), record.byMAC[5]) == devices.end())
        devices.push_back(record.byMAC[5]);
    }
  }
  EXPECT_EQ(devices.size(), 2u);
}

TEST_F(MainWindowWin32Test, EscEnterAndAQuitMessageDoNotEndTheProgram) {
  for (WPARAM key : {VK_ESCAPE, VK_RETURN, VK_TAB}) {
    PostMessageA(hList, WM_KEYDOWN, key, 1);
    PostMessageA(hList, WM_KEYUP, key, 0xC0000001);
  }
  PostQuitMessage(0);
  PumpAll();
  EXPECT_FALSE(window->IsQuitRequested());
  EXPECT_TRUE(IsWindow(window->GetHwnd()));
}

TEST_F(MainWindowWin32Test, BasicConfigSendsWhatTheDialogHeldAndPollsMeanwhile) {
  Answer(kFirst);
  PassUntilRead();
  ClickRow(0);
  const size_t nProbesBefore = SentOfSize(kesto_wire::kDiscoverSize).size();
  // A new device answers while the dialog is open: it is read but gets no row yet.
  Answer(kSecond);

  int nTurns = 0;
  std::string sNameShown;
  window->SetConfigTurnHook([&](CConfigKestoDlg& dialog) {
    ++nTurns;
    if (nTurns == 1) {
      sNameShown = WindowText(dialog.GetItem(IDC_NAME));
      EXPECT_FALSE(IsWindowEnabled(window->GetHwnd()));  // the owner is disabled while it is open
      clock.Advance(1001);                               // a probe falls due
      return;
    }
    if (nTurns > 2) return;  // typed and clicked once; the dialog ends when the click is taken
    TypeInto(dialog.GetItem(IDC_NAME), L"Pump house");
    SendMessageA(dialog.GetItem(IDC_DNS), IPM_CLEARADDRESS, 0, 0);
    SendMessageA(dialog.GetItem(IDC_BAUD), CB_SETCURSEL, 0, 0);  // "115200"
    ClickAt(dialog.GetItem(IDOK), MiddleOf(dialog.GetItem(IDOK)));
  });
  ClickButton(IDC_BASIC_CONFIG);
  window->SetConfigTurnHook({});

  EXPECT_GE(nTurns, 2);
  EXPECT_EQ(sNameShown, "First");
  EXPECT_TRUE(IsWindowEnabled(window->GetHwnd()));
  EXPECT_GT(SentOfSize(kesto_wire::kDiscoverSize).size(), nProbesBefore);
  EXPECT_EQ(pSocket->Waiting(), 0u);
  EXPECT_EQ(ListRowCount(hList), 1);

  // Broadcast, and straight to the address the device answered from: the same bytes.
  const auto configs = SentOfSize(kesto_wire::kSetConfigSize);
  ASSERT_FALSE(configs.empty());
  for (const auto& config : configs) EXPECT_EQ(config.bytes, configs[0].bytes);
  const KESTO_RECORD sent = kesto_wire::DecodeRecord(configs[0].bytes.data() + 4);
  EXPECT_STREQ(sent.szName, "Pump house");
  EXPECT_EQ(sent.dwDNS, 0u);
  EXPECT_EQ(sent.dwIPAddress, kFirst.dwIPAddress);
  EXPECT_EQ(sent.wBaudRate, 49664);  // 115200 in 16 bits
  EXPECT_EQ(0, std::memcmp(sent.byMAC, kFirst.byMAC, 6));

  // The row keeps its texts until the device answers; the next pass lists kSecond.
  EXPECT_EQ(CellText(hList, 0, 0), "First");
  window->PollDevices();
  ASSERT_EQ(ListRowCount(hList), 2);
  EXPECT_EQ(CellText(hList, 0, 0), "Second");
}

TEST_F(MainWindowWin32Test, EscInTheDialogCancelsAndNothingIsSent) {
  Answer(kFirst);
  PassUntilRead();
  ClickRow(0);
  int nTurns = 0;
  window->SetConfigTurnHook([&](CConfigKestoDlg& dialog) {
    // Esc reaches the dialog through its keyboard handling, as a Cancel.
    if (++nTurns == 1) PostMessageA(dialog.GetItem(IDC_NAME), WM_KEYDOWN, VK_ESCAPE, 1);
    if (nTurns == 51) ClickAt(dialog.GetItem(IDCANCEL), MiddleOf(dialog.GetItem(IDCANCEL)));  // bound the test
  });
  ClickButton(IDC_BASIC_CONFIG);
  window->SetConfigTurnHook({});
  EXPECT_LT(nTurns, 50);
  EXPECT_TRUE(SentOfSize(kesto_wire::kSetConfigSize).empty());
  EXPECT_FALSE(window->IsQuitRequested());
}

TEST_F(MainWindowWin32Test, TabAndShiftTabWalkTheEnabledControls) {
  Answer(kFirst);
  PassUntilRead();
  ClickRow(0);  // the row commands are enabled with a row; "Newest first" is not while it is the order
  const std::vector<int> kForward = {IDC_DEVICE_LIST, IDC_BASIC_CONFIG, IDC_LAUNCH_CONFIGURATOR, IDC_PLANS, IDC_ABOUT,
                                     IDC_ADAPTER,     IDC_TARGETS,      IDC_EXPORT,              IDC_FILTER};
  SetFocus(Item(IDC_FILTER));
  for (int iId : kForward) {
    Key(GetFocus(), VK_TAB);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), iId);
  }
  SetShift(true);
  for (auto it = kForward.rbegin() + 1; it != kForward.rend(); ++it) {
    Key(GetFocus(), VK_TAB);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), *it);
  }
  Key(GetFocus(), VK_TAB);
  SetShift(false);
  EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_FILTER);
}

TEST_F(MainWindowWin32Test, TabOntoTheListSelectsItsFirstRow) {
  Answer(kFirst);
  Answer(kSecond);
  PassUntilRead();
  SetFocus(Item(IDC_FILTER));
  Key(GetFocus(), VK_TAB);
  EXPECT_EQ(GetFocus(), hList);
  EXPECT_EQ(SelectedListRow(hList), 0);
  EXPECT_TRUE(IsWindowEnabled(Item(IDC_BASIC_CONFIG)));
}

TEST_F(MainWindowWin32Test, EnterOnARowOpensBasicConfigAndNowhereElse) {
  Answer(kFirst);
  PassUntilRead();
  ClickRow(0);
  const struct {
    int iFocus;
    int nTurns;
  } kCases[] = {{IDC_DEVICE_LIST, 1}, {IDC_FILTER, 0}, {IDC_EXPORT, 0}};
  for (const auto& test : kCases) {
    SetFocus(Item(test.iFocus));
    EXPECT_EQ(ConfigOpenings([&] { Key(GetFocus(), VK_RETURN); }), test.nTurns) << test.iFocus;
  }
  EXPECT_EQ(ConfigOpenings([&] { DoubleClickRow(0); }), 1);
  EXPECT_FALSE(window->IsQuitRequested());
}

TEST_F(MainWindowWin32Test, MnemonicsReachTheirControls) {
  Answer(kFirst);
  PassUntilRead();
  ClickRow(0);
  const struct {
    wchar_t cKey;
    int iFocus;  // where the focus goes, or 0 when the key clicks "Basic Config..."
  } kCases[] = {{L'f', IDC_FILTER}, {L'a', IDC_ADAPTER}, {L'b', 0}, {L'B', 0}};
  for (const auto& test : kCases) {
    SetFocus(hList);
    const int nTurns = ConfigOpenings([&] {
      PostMessageW(GetFocus(), WM_SYSCHAR, test.cKey, 1 << 29);  // with Alt
      PumpAll();
    });
    if (test.iFocus != 0) {
      EXPECT_EQ(GetDlgCtrlID(GetFocus()), test.iFocus) << static_cast<char>(test.cKey);
    }
    EXPECT_EQ(nTurns, test.iFocus == 0 ? 1 : 0) << static_cast<char>(test.cKey);
  }
}

TEST_F(MainWindowWin32Test, FilterBoxShowsTheMatchingRowsAndTheCountSaysSo) {
  Answer(kFirst);
  Answer(kSecond);
  PassUntilRead();
  const struct {
    const wchar_t* pszFilter;
    std::vector<std::string> names;
    const char* pszCount;
  } kCases[] = {
      {L"sec", {"Second"}, "1 of 2 shown"},
      {L"10.0.0.1", {"First"}, "1 of 2 shown"},
      {L"nothing", {}, "0 of 2 shown"},
      {L"  ", {"Second", "First"}, "2 devices"},
  };
  for (const auto& test : kCases) {
    TypeFilter(test.pszFilter);
    EXPECT_EQ(Names(), test.names) << Utf8FromWide(test.pszFilter);
    EXPECT_EQ(WindowText(Item(IDC_COUNT)), test.pszCount);
  }
}

TEST_F(MainWindowWin32Test, HeaderClicksSortAscendingDescendingThenNewestFirst) {
  const KESTO_RECORD kThird = MakeDeviceRecord(3, "Alpha", 0x0A000003u);
  for (const KESTO_RECORD& record : {kFirst, kSecond, kThird}) Answer(record);
  PassUntilRead();
  ClickRow(1);  // "Second"
  const struct {
    int iColumn;
    std::vector<std::string> names;
    bool bNewestFirstEnabled;
  } kClicks[] = {
      {0, {"Alpha", "First", "Second"}, true},
      {0, {"Second", "First", "Alpha"}, true},
      {0, {"Alpha", "Second", "First"}, false},  // newest first again
      {2, {"First", "Alpha", "Second"}, true},   // 10.0.0.1, .3, .5: by number
  };
  for (const auto& test : kClicks) {
    ClickColumn(test.iColumn);
    EXPECT_EQ(Names(), test.names);
    EXPECT_EQ(IsWindowEnabled(Item(IDC_NEWEST_FIRST)) != 0, test.bNewestFirstEnabled);
    EXPECT_EQ(CellText(hList, SelectedListRow(hList), 0), "Second");  // the selection stays on its device
  }
  ClickButton(IDC_NEWEST_FIRST);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Alpha", "Second", "First"}));
}

TEST_F(MainWindowWin32Test, SelectionStaysOnItsDeviceWhenRowsComeAndGo) {
  Answer(kFirst);
  PassUntilRead();
  ClickRow(0);
  Answer(kSecond);  // a new row on top
  PassUntilRead();
  EXPECT_EQ(SelectedListRow(hList), 1);
  ClickButton(IDC_LAUNCH_CONFIGURATOR);
  EXPECT_EQ(urls, (std::vector<std::string>{"http://10.0.0.1/config.htm"}));
  SetFocus(Item(IDC_FILTER));  // where the user types
  TypeFilter(L"Second");  // hidden rows are no longer selected
  TypeFilter(L"");
  EXPECT_EQ(SelectedListRow(hList), -1);
  EXPECT_FALSE(IsWindowEnabled(Item(IDC_LAUNCH_CONFIGURATOR)));
}

TEST_F(MainWindowWin32Test, SharedAddressesCarryTheWarningIconAndTooltip) {
  KESTO_RECORD twin = kSecond;
  twin.dwIPAddress = kFirst.dwIPAddress;
  const KESTO_RECORD kAlone = MakeDeviceRecord(3, "Alone", 0x0A000009u);
  for (const KESTO_RECORD& record : {kFirst, twin, kAlone}) Answer(record);
  PassUntilRead();
  const struct {
    const char* pszName;
    bool bMarked;
  } kRows[] = {{"Alone", false}, {"Second", true}, {"First", true}};
  for (int iRow = 0; iRow < 3; ++iRow) {
    SCOPED_TRACE(kRows[iRow].pszName);
    ASSERT_EQ(CellText(hList, iRow, 0), kRows[iRow].pszName);
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = iRow;
    ASSERT_TRUE(SendMessageW(hList, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(item.iImage, kRows[iRow].bMarked ? 0 : I_IMAGENONE);
    wchar_t szTip[512] = L"";
    NMLVGETINFOTIPW tip{};
    tip.hdr.code = LVN_GETINFOTIPW;
    tip.dwFlags = LVGIT_UNFOLDED;
    tip.pszText = szTip;
    tip.cchTextMax = 512;
    tip.iItem = iRow;
    Notify(tip.hdr);
    EXPECT_EQ(szTip[0] != L'\0', kRows[iRow].bMarked) << Utf8FromWide(szTip);
  }
}

TEST_F(MainWindowWin32Test, RowMenuCommandsCopyTheSelectedDevice) {
  Answer(kFirst);
  PassUntilRead();
  ClickRow(0);
  const struct {
    int iCommand;
    std::string sText;
  } kCases[] = {
      {IDM_ROW_COPY_MAC, "00-1A-2B-3C-4D-01"},
      {IDM_ROW_COPY_IP, "10.0.0.1"},
      {IDM_ROW_COPY_CSV, DeviceCsvHeader() + DeviceToCsvRow(kFirst, false)},
  };
  for (const auto& test : kCases) {
    ChooseRowCommand(test.iCommand);
    ASSERT_TRUE(OpenClipboard(window->GetHwnd()));
    HANDLE hData = GetClipboardData(CF_UNICODETEXT);
    const std::wstring sCopied = hData != nullptr ? static_cast<const wchar_t*>(GlobalLock(hData)) : L"";
    if (hData != nullptr) GlobalUnlock(hData);
    CloseClipboard();
    EXPECT_EQ(Utf8FromWide(sCopied), test.sText) << test.iCommand;
  }
  ChooseFromMenu([this] { ContextMenuOnRow(0); }, L'o');
  EXPECT_EQ(urls, (std::vector<std::string>{"http://10.0.0.1/config.htm"}));
}

TEST_F(MainWindowWin32Test, ExportWritesTheShownRowsAndSaysSoInTheStatusLine) {
  Answer(kFirst);
  Answer(kSecond);
  PassUntilRead();
  TypeFilter(L"First");
  const struct {
    const wchar_t* pszName;
    const char* pszStart;
  } kCases[] = {{L"kesto-export-test.csv", "name,mac,ip"}, {L"kesto-export-test.JSON", "["}};
  for (const auto& test : kCases) {
    const std::wstring sPath = TempPath(test.pszName);
    DeleteFileW(sPath.c_str());
    int nTicks = 0;
    WhileOpen([&] { return TypeFileName("Export", sPath) || (++nTicks > 1000 && GiveUpOn("Export")); });
    ClickButton(IDC_EXPORT);
    const std::string sBytes = FileStart(sPath);
    DeleteFileW(sPath.c_str());
    EXPECT_EQ(sBytes.rfind(test.pszStart, 0), 0u) << sBytes;
    EXPECT_NE(sBytes.find("00-1A-2B-3C-4D-01"), std::string::npos);
    EXPECT_EQ(sBytes.find("00-1A-2B-3C-4D-02"), std::string::npos);  // filtered out
    EXPECT_EQ(WindowText(Item(IDC_STATUS)), "Exported 1 device to " + Utf8FromWide(test.pszName));
  }
}

TEST_F(MainWindowWin32Test, PlansBackUpTheListAndApplyAPlanThroughTheirFileDialogs) {
  Answer(kFirst);
  Answer(kSecond);
  PassUntilRead();
  const std::wstring sBackup = TempPath(L"kesto-backup-test.json"), sPlan = TempPath(L"kesto-plan-test.csv");
  DeleteFileW(sBackup.c_str());
  int nTicks = 0;
  ChooseFromMenu([this] { ClickButton(IDC_PLANS); }, L'b', [&] {
    return TypeFileName("Back up", sBackup) || (++nTicks > 1000 && GiveUpOn("Back up"));
  });
  const std::string sBacked = FileStart(sBackup);
  DeleteFileW(sBackup.c_str());
  for (const char* pszMAC : {"00-1A-2B-3C-4D-01", "00-1A-2B-3C-4D-02"})
    EXPECT_NE(sBacked.find(pszMAC), std::string::npos) << sBacked;
  EXPECT_EQ(WindowText(Item(IDC_STATUS)).find("Backed up 2"), 0u) << WindowText(Item(IDC_STATUS));

  // A plan renaming one device: previewed, then applied with a click, and sent from the passes.
  if (FILE* pFile = _wfopen(sPlan.c_str(), L"wb")) {
    fputs("mac,name\n00-1A-2B-3C-4D-01,Boiler room\n", pFile);
    fclose(pFile);
  }
  bool bTyped = false;
  std::string sApply;
  nTicks = 0;
  ChooseFromMenu([this] { ClickButton(IDC_PLANS); }, L'a', [&] {
    if (++nTicks > 1000) return GiveUpOn("Apply plan");
    if (!bTyped) {
      bTyped = TypeFileName("Apply plan", sPlan);
      return false;
    }
    HWND hPreview = FindWindowA(nullptr, "Apply plan");
    if (hPreview == nullptr || GetDlgItem(hPreview, IDC_PLAN_LIST) == nullptr) return false;
    HWND hApply = GetDlgItem(hPreview, IDOK);
    sApply = WindowText(hApply);
    ClickAt(hApply, MiddleOf(hApply));
    return true;
  });
  DeleteFileW(sPlan.c_str());
  EXPECT_EQ(sApply, "&Apply to 1 device");
  std::vector<std::string> names;
  for (int i = 0; i < 50 && names.empty(); ++i) {
    clock.Advance(100);
    window->PollDevices();
    for (const auto& config : SentOfSize(kesto_wire::kSetConfigSize))
      names.push_back(FieldText(kesto_wire::DecodeRecord(config.bytes.data() + 4).szName, 28));
  }
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names[0], "Boiler room");
}

TEST_F(MainWindowWin32Test, TargetsAreAddedRefusedRemovedAndCleared) {
  auto Probed = [this] { return pFinder->GetDestinations().vecUnicast; };
  const struct {
    const wchar_t* pszText;
    bool bTaken;
  } kTyped[] = {{L" 10.0.0.9 ", true}, {L"10.0.1.0/31", true}, {L"10.0.0.9", true} /* already there */, {L"10.0.0", false}};
  for (const auto& test : kTyped) EXPECT_EQ(AddTargetByHand(test.pszText).empty(), test.bTaken) << Utf8FromWide(test.pszText);
  EXPECT_EQ(Probed(), (std::vector<uint32_t>{0x0A000009u, 0x0A000100u, 0x0A000101u}));
  ChooseCommand([this] { ClickButton(IDC_TARGETS); }, IDM_REMOVE_TARGET);  // the first one
  EXPECT_EQ(Probed(), (std::vector<uint32_t>{0x0A000100u, 0x0A000101u}));
  ChooseFromMenu([this] { ClickButton(IDC_TARGETS); }, L'c');
  EXPECT_TRUE(Probed().empty());
}

TEST_F(MainWindowWin32Test, ResizingStretchesTheListAndKeepsTheRowsBelowIt) {
  HWND hWnd = window->GetHwnd();
  auto Place = [hWnd](int iId) {
    RECT rect;
    GetWindowRect(GetDlgItem(hWnd, iId), &rect);
    MapWindowPoints(nullptr, hWnd, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  };
  const RECT listBefore = Place(IDC_DEVICE_LIST), exportBefore = Place(IDC_ABOUT), basicBefore = Place(IDC_BASIC_CONFIG);
  RECT frame;
  GetWindowRect(hWnd, &frame);
  SetWindowPos(hWnd, nullptr, 0, 0, frame.right - frame.left + 120, frame.bottom - frame.top + 90,
               SWP_NOMOVE | SWP_NOZORDER);
  const RECT listAfter = Place(IDC_DEVICE_LIST), exportAfter = Place(IDC_ABOUT), basicAfter = Place(IDC_BASIC_CONFIG);
  EXPECT_EQ(listAfter.right - listBefore.right, 120);
  EXPECT_EQ(listAfter.bottom - listBefore.bottom, 90);
  EXPECT_EQ(exportAfter.left - exportBefore.left, 120);
  EXPECT_EQ(exportAfter.top - exportBefore.top, 90);
  EXPECT_EQ(basicAfter.left, basicBefore.left);
  EXPECT_EQ(basicAfter.top - basicBefore.top, 90);
}

TEST_F(MainWindowWin32Test, AFullListOfDevicesIsListedFilteredAndSorted) {
  // The finder's whole table: every row found by key, the list view holding no items of its own.
  constexpr int kDevices = 16384;
  for (int i = 0; i < kDevices; ++i) {
    KESTO_RECORD record = MakeDeviceRecord(0, "Device", 0x0A000000u + static_cast<uint32_t>(i));
    record.byMAC[4] = static_cast<uint8_t>(i >> 8);
    record.byMAC[5] = static_cast<uint8_t>(i);
    Answer(record);
  }
  PassUntilRead();
  ASSERT_EQ(ListRowCount(hList), kDevices);
  EXPECT_EQ(CellText(hList, 0, 2), "10.0.63.255");  // newest first
  ClickRow(5);
  const std::string sSelectedMAC = CellText(hList, 5, 1);
  TypeFilter(L"10.0.63.");
  EXPECT_EQ(ListRowCount(hList), 256);
  TypeFilter(L"");
  ClickColumn(2);  // by address, ascending
  EXPECT_EQ(CellText(hList, 0, 2), "10.0.0.0");
  EXPECT_EQ(CellText(hList, SelectedListRow(hList), 1), sSelectedMAC);
}

TEST_F(MainWindowWin32Test, TheDialogQuestionsAnAddressAnotherListedDeviceUses) {
  Answer(kFirst);
  Answer(kSecond);
  PassUntilRead();
  ClickRow(1);  // kFirst
  std::vector<std::string> asked;
  int nTurns = 0;
  bool bCancelled = false;
  window->SetConfigTurnHook([&](CConfigKestoDlg& dialog) {
    // Set Configuration is clicked; the question is answered "no" and the dialog stays, then Cancel.
    if (++nTurns == 1) {
      dialog.SetAsk([&asked](HWND, const std::string& sText) {
        asked.push_back(sText);
        return false;
      });
      SendMessageA(dialog.GetItem(IDC_IPADDRESS), IPM_SETADDRESS, 0, static_cast<LPARAM>(kSecond.dwIPAddress));
      ClickAt(dialog.GetItem(IDOK), MiddleOf(dialog.GetItem(IDOK)));
    } else if (!bCancelled && (!asked.empty() || nTurns == 200)) {
      EXPECT_FALSE(dialog.IsFinished());
      ClickAt(dialog.GetItem(IDCANCEL), MiddleOf(dialog.GetItem(IDCANCEL)));
      bCancelled = true;
    }
  });
  ClickButton(IDC_BASIC_CONFIG);
  window->SetConfigTurnHook({});
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_NE(asked[0].find("Second (00-1A-2B-3C-4D-02)"), std::string::npos) << asked[0];
  EXPECT_TRUE(SentOfSize(kesto_wire::kSetConfigSize).empty());
}

TEST_F(MainWindowWin32Test, SizeColumnWidthsAndOrderComeBackNextTime) {
  RECT frame;
  GetWindowRect(window->GetHwnd(), &frame);
  const int cx = frame.right - frame.left + 100, cy = frame.bottom - frame.top + 50;
  SetWindowPos(window->GetHwnd(), nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER);
  SendMessageW(hList, LVM_SETCOLUMNWIDTH, 1, 170);
  ChooseHeaderCommand(IDM_COLUMN + CDeviceColumnSet::kDNS);
  SendMessageW(hList, LVM_SETCOLUMNWIDTH, 5, 90);
  ClickColumn(5);
  ClickColumn(5);  // by DNS, descending
  ReopenWindow();
  GetWindowRect(window->GetHwnd(), &frame);
  EXPECT_EQ(frame.right - frame.left, cx);
  EXPECT_EQ(frame.bottom - frame.top, cy);
  EXPECT_EQ(SendMessageW(hList, LVM_GETCOLUMNWIDTH, 1, 0), 170);
  EXPECT_EQ(SendMessageW(hList, LVM_GETCOLUMNWIDTH, 0, 0), 110);
  std::string sTitle;
  int iWidth = 0;
  ASSERT_TRUE(ListColumn(hList, 5, &sTitle, &iWidth));
  EXPECT_EQ(sTitle, "DNS");
  EXPECT_EQ(iWidth, 90);
  EXPECT_TRUE(IsWindowEnabled(Item(IDC_NEWEST_FIRST)));  // sorted, not newest first
}

TEST_F(MainWindowWin32Test, HeaderMenuAddsSortsAndRemovesTheExtraColumns) {
  KESTO_RECORD wide = kSecond;
  wide.dwNetMask = 0xFFFF0000u;
  Answer(kFirst);
  Answer(wide);
  PassUntilRead();
  const struct {
    int iColumn;
    const char* pszTitle;
    const char* pszTop;  // the top row's cell, kSecond on top
  } kColumns[] = {
      {CDeviceColumnSet::kNetMask, "Net Mask", "255.255.0.0"},
      {CDeviceColumnSet::kGateway, "Gateway", "10.0.0.1"},
      {CDeviceColumnSet::kLastSeen, "Last Seen", "0.0 s"},
  };
  for (const auto& column : kColumns) ChooseHeaderCommand(IDM_COLUMN + column.iColumn);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(kColumns[i].pszTitle);
    std::string sTitle;
    int iWidth = 0;
    ASSERT_TRUE(ListColumn(hList, 5 + i, &sTitle, &iWidth));
    EXPECT_EQ(sTitle, kColumns[i].pszTitle);
    EXPECT_EQ(CellText(hList, 0, 5 + i), kColumns[i].pszTop);
  }
  ClickColumn(5);  // by net mask, ascending: the /16 first
  EXPECT_EQ(Names(), (std::vector<std::string>{"Second", "First"}));
  ClickColumn(5);
  EXPECT_EQ(Names(), (std::vector<std::string>{"First", "Second"}));
  ChooseHeaderCommand(IDM_COLUMN + CDeviceColumnSet::kNetMask);  // hiding the sorted column goes back to newest first
  EXPECT_EQ(Names(), (std::vector<std::string>{"Second", "First"}));
  std::string sTitle;
  int iWidth = 0;
  ASSERT_TRUE(ListColumn(hList, 5, &sTitle, &iWidth));
  EXPECT_EQ(sTitle, "Gateway");
  EXPECT_EQ(CellText(hList, 1, 6), "0.0 s");
  ChooseHeaderCommand(IDM_COLUMN + CDeviceColumnSet::kGateway);
  ChooseHeaderCommand(IDM_COLUMN + CDeviceColumnSet::kLastSeen);
  EXPECT_FALSE(ListColumn(hList, 5, &sTitle, &iWidth));
}

// The change log in a throw-away folder of its own, never the user's.
class ChangeLogWin32Test : public MainWindowWin32Test {
 protected:
  void SetUp() override {
    wchar_t szTemp[MAX_PATH];
    GetTempPathW(MAX_PATH, szTemp);
    sFolder = std::wstring(szTemp) + L"kesto-undo-test-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(sFolder.c_str(), nullptr);
    SetEnvironmentVariableW(L"LOCALAPPDATA", sFolder.c_str());
    DeleteFileW(WideFromUtf8(CChangeLog::DefaultPath()).c_str());
    CChangeLog::Process().Open(CChangeLog::DefaultPath(), "native window", {});
    MainWindowWin32Test::SetUp();
  }
  void TearDown() override {
    CChangeLog::Process().Close();
    const std::wstring sKesto = sFolder + L"\\Kesto";
    for (const wchar_t* pszFile : {L"\\changes.jsonl", L"\\changes.jsonl.lock", L"\\changes.jsonl.1"})
      DeleteFileW((sKesto + pszFile).c_str());
    RemoveDirectoryW(sKesto.c_str());
    RemoveDirectoryW(sFolder.c_str());
  }
  // The text of the dialog captioned pszCaption, or empty while it is not up.
  static std::string DialogText(const char* pszCaption) {
    HWND hDialog = FindWindowA(nullptr, pszCaption);
    return hDialog != nullptr && IsWindowVisible(hDialog) ? WindowText(GetDlgItem(hDialog, IDC_CHANGE_TEXT)) : "";
  }
  std::vector<std::string> NamesSent() const {
    std::vector<std::string> names;
    for (const auto& sent : SentOfSize(kesto_wire::kSetConfigSize)) {
      const std::string sName = FieldText(kesto_wire::DecodeRecord(sent.bytes.data() + 4).szName, 28);
      if (std::find(names.begin(), names.end(), sName) == names.end()) names.push_back(sName);
    }
    return names;
  }
  std::wstring sFolder;
};

TEST_F(ChangeLogWin32Test, UndoPreviewsWhatGoesBackAndSendsItOnlyWhenAsked) {
  const KESTO_RECORD before = MakeDeviceRecord(1, "Boiler", 0x0A000005u);
  const KESTO_RECORD after = MakeDeviceRecord(1, "Cellar", 0x0A000005u);
  // An earlier change, as `kesto set` logged it; the device now answers with it.
  CChangeLogEntry::Begin(before, after).Finish(ChangeOutcome::kConfirmed);
  Answer(after);
  PassUntilRead();
  ClickRow(0);
  const struct {
    int iButton;  // in the preview: Send back or Cancel (by Esc)
    std::vector<std::string> sent;
  } kCases[] = {{IDCANCEL, {}}, {IDOK, {"Boiler"}}};
  for (const auto& test : kCases) {
    SCOPED_TRACE(test.iButton);
    std::string sPreview;
    ChooseFromMenu([&] { ContextMenuOnRow(0); }, L'u', [&] {
      HWND hDialog = FindWindowA(nullptr, "Undo last change");
      if (hDialog == nullptr || !IsWindowVisible(hDialog)) return false;
      sPreview = DialogText("Undo last change");
      HWND hButton = GetDlgItem(hDialog, test.iButton);
      if (test.iButton == IDOK) {
        ClickAt(hButton, MiddleOf(hButton));
      } else {
        PostMessageW(hButton, WM_KEYDOWN, VK_ESCAPE, 1);  // the focus starts on Cancel
      }
      return true;
    });
    EXPECT_NE(sPreview.find("name: \"Cellar\" -> \"Boiler\""), std::string::npos) << sPreview;
    EXPECT_EQ(NamesSent(), test.sent);
    EXPECT_TRUE(IsWindowEnabled(window->GetHwnd()));
  }
  const CChangeHistory history = CChangeHistory::Read(CChangeLog::DefaultPath());
  ASSERT_EQ(history.Changes().size(), 2u);
  EXPECT_EQ(history.Changes()[0].send.sUndoOf, history.Changes()[1].send.sId);
  EXPECT_EQ(history.Changes()[0].send.sBy, "native window");

  // The history names both changes, newest first; Esc closes it.
  std::string sHistory;
  ChooseFromMenu([&] { ContextMenuOnRow(0); }, L'h', [&] {
    sHistory = DialogText("Change history");
    if (sHistory.empty()) return false;
    PostMessageW(GetDlgItem(FindWindowA(nullptr, "Change history"), IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 1);
    return true;
  });
  const size_t nBreak = sHistory.find("\r\n");
  ASSERT_NE(nBreak, std::string::npos) << sHistory;
  EXPECT_NE(sHistory.find("\"Cellar\" -> \"Boiler\""), std::string::npos) << sHistory;
  EXPECT_NE(sHistory.find("(confirmed): name: \"Boiler\" -> \"Cellar\"", nBreak), std::string::npos) << sHistory;
  EXPECT_EQ(FindWindowA(nullptr, "Change history"), nullptr);
}

TEST_F(ChangeLogWin32Test, UndoIsGreyedForADeviceWithoutALoggedChange) {
  Answer(kFirst);
  PassUntilRead();
  ClickRow(0);
  bool bPreview = false;
  ChooseFromMenu([&] { ContextMenuOnRow(0); }, L'u', [&] {
    bPreview = FindWindowA(nullptr, "Undo last change") != nullptr;
    EndMenu();
    return true;
  });
  EXPECT_TRUE(menuStates[IDM_ROW_UNDO] & MF_GRAYED);
  EXPECT_FALSE(menuStates[IDM_ROW_HISTORY] & MF_GRAYED);
  EXPECT_FALSE(bPreview);
  EXPECT_TRUE(SentOfSize(kesto_wire::kSetConfigSize).empty());
}

TEST_F(ChangeLogWin32Test, LogChangesSwitchesTheLogAndIsKeptForNextTime) {
  EXPECT_TRUE(window->IsLoggingChanges());
  const struct {
    bool bLogging;
    const char* pszKept;
    const char* pszStatus;
  } kCases[] = {{false, "false", "no longer logged"}, {true, "true", "Settings sent are logged to "}};
  for (const auto& test : kCases) {
    SCOPED_TRACE(test.pszKept);
    ChooseFromMenu([&] { ClickButton(IDC_PLANS); }, L'l');
    EXPECT_EQ((menuStates[IDM_LOG_CHANGES] & MF_CHECKED) != 0, !test.bLogging);  // as it was before the click
    EXPECT_EQ(window->IsLoggingChanges(), test.bLogging);
    EXPECT_EQ(CChangeLog::Process().IsOpen(), test.bLogging);
    EXPECT_NE(WindowText(Item(IDC_STATUS)).find(test.pszStatus), std::string::npos) << WindowText(Item(IDC_STATUS));
    platform::RegistryKey key;
    ASSERT_TRUE(settings.OpenKey(platform::RegistryRoot::kCurrentUser, "Software\\Kesto\\kesto-manager\\changeLog", &key));
    char szValue[16] = {};
    uint32_t dwType = 0, dwSize = sizeof szValue;
    EXPECT_TRUE(settings.ReadValue(key, "enabled", &dwType, szValue, &dwSize));
    settings.CloseKey(key);
    EXPECT_STREQ(szValue, test.pszKept);
  }
  // Switched off, it stays off in the next window.
  ChooseFromMenu([&] { ClickButton(IDC_PLANS); }, L'l');
  ReopenWindow();
  EXPECT_FALSE(window->IsLoggingChanges());
}

TEST_F(MainWindowWin32Test, AddTargetAsksAgainWithTheReasonAndTheListKeepsPolling) {
  Answer(kFirst);  // read while the box is open
  // A second thread types into the box as a user would, bounded at 10 s for each step.
  std::vector<std::string> prompts;
  std::thread user([this, &prompts] {
    auto WaitFor = [](const std::function<bool()>& fnDone) {
      for (int i = 0; i < 1000 && !fnDone(); ++i) Sleep(10);
    };
    for (const char* pszText : {"10.0.0", "10.0.0.7"}) {
      HWND hBox = nullptr;
      WaitFor([&hBox] {
        hBox = FindWindowA(nullptr, "Add target");
        return hBox != nullptr && IsWindowVisible(hBox);
      });
      if (hBox == nullptr) return;
      char szPrompt[512] = {};
      GetDlgItemTextA(hBox, IDC_TARGET_PROMPT, szPrompt, sizeof szPrompt);
      prompts.push_back(szPrompt);
      WaitFor([this] { return ListRowCount(hList) == 1; });
      SetDlgItemTextA(hBox, IDC_TARGET_TEXT, pszText);
      PostMessageA(hBox, WM_COMMAND, IDOK, 0);
      WaitFor([hBox] { return !IsWindow(hBox); });
    }
  });
  ChooseFromMenu([this] { ClickButton(IDC_TARGETS); }, L'a');
  user.join();
  ASSERT_EQ(prompts.size(), 2u);
  EXPECT_EQ(prompts[0].find("Address or range to probe"), 0u) << prompts[0];
  EXPECT_GT(prompts[1].size(), prompts[0].size()) << prompts[1];  // the reason above the prompt
  EXPECT_EQ(pFinder->GetDestinations().vecUnicast, (std::vector<uint32_t>{0x0A000007u}));
  EXPECT_EQ(ListRowCount(hList), 1);
  EXPECT_TRUE(IsWindowEnabled(window->GetHwnd()));
}

}  // namespace
