// The native main window in-process: the template's window and controls, the
// list view's columns and rows as the presenter fills them, and the commands.
#include "app/win32/QUORINDlg.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/win32/MessagePump.h"
#include "app/win32/resource.h"
#include "discovery/KestoWire.h"
#include "support/FakeClock.h"
#include "support/FakeDatagramSocket.h"
#include "support/RecordBuilder.h"
#include "tests/win32/DialogTemplateCheck.h"
#include "version/KestoVersion.h"

namespace {

class MainWindowWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    auto socket = std::make_unique<FakeDatagramSocket>();
    pSocket = socket.get();
    KestoFinderOptions options;
    options.pTicks = &clock;
    options.fnReadInterfaces = nullptr;  // only the one target, whatever this computer's adapters
    window = std::make_unique<CQUORINDlg>(std::make_unique<CKestoFinder>(options, std::move(socket)),
                                          [this](const std::string& sUrl) { urls.push_back(sUrl); });
    ASSERT_TRUE(window->Create());
    hList = window->GetList();
    ASSERT_NE(hList, nullptr);
  }

  void Answer(const KESTO_RECORD& record) { pSocket->Queue(RecordBytes(record)); }
  void PassUntilRead() {
    for (int i = 0; i < 100 && pSocket->Waiting() > 0; ++i) window->PollDevices();
  }
  // Handles what the queue holds, bounded.
  static void PumpAll() {
    for (int i = 0; i < 1000 && PumpOneMessage(); ++i) {
    }
  }
  void Click(int iId) { SendMessageA(GetDlgItem(window->GetHwnd(), iId), BM_CLICK, 0, 0); }
  std::vector<FakeDatagramSocket::Sent> SentOfSize(size_t nSize) const {
    std::vector<FakeDatagramSocket::Sent> found;
    for (const auto& sent : pSocket->sent)
      if (sent.bytes.size() == nSize) found.push_back(sent);
    return found;
  }

  FakeClock clock{5000};
  FakeDatagramSocket* pSocket = nullptr;
  std::unique_ptr<CQUORINDlg> window;
  HWND hList = nullptr;
  std::vector<std::string> urls;
};

const KESTO_RECORD kFirst = MakeDeviceRecord(1, "First", 0x0A000001u);
const KESTO_RECORD kSecond = MakeDeviceRecord(2, "Second", 0x0A000005u);

TEST_F(MainWindowWin32Test, WindowFollowsTheTemplate) {
  HWND hWnd = window->GetHwnd();
  EXPECT_EQ(WindowText(hWnd), "Tamrel Kesto Manager");
  const auto dwStyle = static_cast<DWORD>(GetWindowLongPtrA(hWnd, GWL_STYLE));
  const DWORD dwWanted = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  EXPECT_EQ(dwStyle & dwWanted, dwWanted) << std::hex << dwStyle;
  EXPECT_EQ(dwStyle & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);
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
  const RECT expected = DialogUnitsToPixels(hWnd, 0, 0, 387, 113);
  EXPECT_EQ(client.right, expected.right);
  EXPECT_EQ(client.bottom, expected.bottom);

  EXPECT_NE(SendMessageA(hWnd, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(SendMessageA(hWnd, WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_EQ(SendMessageA(hWnd, WM_QUERYDRAGICON, 0, 0), reinterpret_cast<LRESULT>(window->GetIcon()));
}

TEST_F(MainWindowWin32Test, ControlsFollowTheTemplate) {
  const DWORD dwButtonMask = BS_TYPEMASK | WS_TABSTOP;
  const DWORD dwListMask = LVS_TYPEMASK | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SORTASCENDING | LVS_SORTDESCENDING |
                           WS_BORDER | WS_TABSTOP;
  ExpectControls(
      window->GetHwnd(), IDD_QUORIN_DIALOG,
      {
          {IDC_BASIC_CONFIG, "Button", "Basic Config...", dwButtonMask, BS_PUSHBUTTON | WS_TABSTOP, 4, 95, 119, 14},
          {IDC_DEVICE_LIST, "SysListView32", nullptr, dwListMask,
           LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, 4, 4, 379, 86},
          {IDC_LAUNCH_CONFIGURATOR, "Button", "Lauch Configurator...", dwButtonMask, BS_PUSHBUTTON | WS_TABSTOP, 129,
           95, 139, 14},
      });
  EXPECT_EQ(SendMessageA(hList, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), 0);
  EXPECT_EQ(SendMessageA(hList, LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);
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
  EXPECT_EQ(window->GetListRowCount(), 0);
}

TEST_F(MainWindowWin32Test, RowsShowTheDevicesNewestFirst) {
  Answer(kFirst);
  Answer(kSecond);
  PassUntilRead();
  ASSERT_EQ(window->GetListRowCount(), 2);
  const std::vector<std::string> kTop = {"Second", "00-1A-2B-3C-4D-02", "10.0.0.5", "10002", "FW 2.17"};
  const std::vector<std::string> kBottom = {"First", "00-1A-2B-3C-4D-01", "10.0.0.1", "10001", "FW 2.17"};
  for (int iColumn = 0; iColumn < 5; ++iColumn) {
    EXPECT_EQ(window->GetCellText(0, iColumn), kTop[iColumn]);
    EXPECT_EQ(window->GetCellText(1, iColumn), kBottom[iColumn]);
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
    EXPECT_EQ(window->GetCellText(0, 3), test.pszText) << test.iPort;
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
  ASSERT_EQ(window->GetListRowCount(), 1);
  EXPECT_EQ(window->GetCellText(0, 0), "First");

  Answer(kSecond);
  PassUntilRead();
  ASSERT_EQ(window->GetListRowCount(), 2);
  EXPECT_EQ(window->GetCellText(0, 0), "Second");
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
  ASSERT_EQ(window->GetListRowCount(), 1);
  EXPECT_EQ(window->GetCellText(0, 0), "Renamed");
  EXPECT_EQ(window->GetCellText(0, 2), "192.168.1.100");
  EXPECT_EQ(window->GetCellText(0, 3), "-");
  EXPECT_EQ(window->GetCellText(0, 4), "FW 3.0");
}

TEST_F(MainWindowWin32Test, LaunchOpensTheSelectedDevicesPageOnly) {
  Answer(kFirst);
  Answer(kSecond);
  PassUntilRead();
  Click(IDC_LAUNCH_CONFIGURATOR);
  Click(IDC_BASIC_CONFIG);  // no selection: no dialog, nothing sent
  EXPECT_TRUE(urls.empty());
  EXPECT_TRUE(SentOfSize(kesto_wire::kSetConfigSize).empty());

  window->SelectRow(0);  // kSecond, at 10.0.0.5
  Click(IDC_LAUNCH_CONFIGURATOR);
  window->SelectRow(1);  // single selection: this replaces row 0
  Click(IDC_LAUNCH_CONFIGURATOR);
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

TEST_F(MainWindowWin32Test, SystemMenuAboutShowsTheVersion) {
  HMENU hSystemMenu = GetSystemMenu(window->GetHwnd(), FALSE);
  char szEntry[64] = {};
  ASSERT_GT(GetMenuStringA(hSystemMenu, IDM_ABOUTBOX, szEntry, sizeof szEntry, MF_BYCOMMAND), 0);
  EXPECT_STREQ(szEntry, "&About Tamrel Kesto Manager...");
  // The box waits in its own loop: a second thread reads it and presses OK, bounded at 10 s.
  std::string sText;
  std::thread reader([&sText] {
    for (int i = 0; i < 1000; ++i) {
      if (HWND hBox = FindWindowA(nullptr, "About Tamrel Kesto Manager")) {
        char szText[512] = {};
        GetDlgItemTextA(hBox, 0xFFFF, szText, sizeof szText);  // a message box's text control
        sText = szText;
        PostMessageA(hBox, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(10);
    }
  });
  SendMessageA(window->GetHwnd(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
  reader.join();
  EXPECT_NE(sText.find(std::string("Version ") + GetKestoVersion()), std::string::npos) << sText;
  EXPECT_TRUE(IsWindow(window->GetHwnd()));
  EXPECT_FALSE(window->IsQuitRequested());
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
  window->SelectRow(0);
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
    SetWindowTextA(dialog.GetItem(IDC_NAME), "Pump house");
    SendMessageA(dialog.GetItem(IDC_DNS), IPM_CLEARADDRESS, 0, 0);
    SendMessageA(dialog.GetItem(IDC_BAUD), CB_SETCURSEL, 0, 0);  // "115200"
    SendMessageA(dialog.GetItem(IDOK), BM_CLICK, 0, 0);
  });
  Click(IDC_BASIC_CONFIG);
  window->SetConfigTurnHook({});

  EXPECT_EQ(nTurns, 2);
  EXPECT_EQ(sNameShown, "First");
  EXPECT_TRUE(IsWindowEnabled(window->GetHwnd()));
  EXPECT_GT(SentOfSize(kesto_wire::kDiscoverSize).size(), nProbesBefore);
  EXPECT_EQ(pSocket->Waiting(), 0u);
  EXPECT_EQ(window->GetListRowCount(), 1);

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
  EXPECT_EQ(window->GetCellText(0, 0), "First");
  window->PollDevices();
  ASSERT_EQ(window->GetListRowCount(), 2);
  EXPECT_EQ(window->GetCellText(0, 0), "Second");
}

TEST_F(MainWindowWin32Test, EscInTheDialogCancelsAndNothingIsSent) {
  Answer(kFirst);
  PassUntilRead();
  window->SelectRow(0);
  int nTurns = 0;
  window->SetConfigTurnHook([&](CConfigKestoDlg& dialog) {
    // Esc reaches the dialog through its keyboard handling, as a Cancel.
    if (++nTurns == 1) PostMessageA(dialog.GetItem(IDC_NAME), WM_KEYDOWN, VK_ESCAPE, 1);
    if (nTurns > 50) SendMessageA(dialog.GetItem(IDCANCEL), BM_CLICK, 0, 0);  // bound the test
  });
  Click(IDC_BASIC_CONFIG);
  window->SetConfigTurnHook({});
  EXPECT_LT(nTurns, 50);
  EXPECT_TRUE(SentOfSize(kesto_wire::kSetConfigSize).empty());
  EXPECT_FALSE(window->IsQuitRequested());
}

}  // namespace
