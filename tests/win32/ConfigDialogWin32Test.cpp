// The native configuration dialog, made modeless on a model: the template, what
// it shows for a record, the enabling rule and what it hands back.
#include "app/win32/ConfigKestoDlg.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/logic/ConfigKestoModel.h"
#include "app/win32/MessagePump.h"
#include "app/win32/resource.h"
#include "discovery/KestoInfo.h"
#include "discovery/KestoRecordRules.h"
#include "support/RecordBuilder.h"
#include "tests/win32/DialogTemplateCheck.h"

namespace {

std::vector<std::string> ListItems(HWND hCombo) {
  std::vector<std::string> items;
  const auto nCount = static_cast<int>(SendMessageA(hCombo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < nCount; ++i) {
    char szItem[64] = {};
    SendMessageA(hCombo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(szItem));
    items.emplace_back(szItem);
  }
  return items;
}

int Selection(HWND hCombo) { return static_cast<int>(SendMessageA(hCombo, CB_GETCURSEL, 0, 0)); }

DWORD Address(HWND hControl) {
  DWORD dwAddress = 0xFFFFFFFFu;
  SendMessageA(hControl, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&dwAddress));
  return dwAddress;
}

class ConfigDialogWin32Test : public ::testing::Test {
 protected:
  // Opens the dialog modeless on its own copy of the record.
  void Open(const KESTO_RECORD& record) {
    dialog.reset();
    info = std::make_unique<CKestoInfo>(record, 0);
    model = std::make_unique<CConfigKestoModel>(*info);
    dialog = std::make_unique<CConfigKestoDlg>(*model);
    // A refused name is explained here rather than in a message box that would wait.
    explained.clear();
    dialog->SetExplain([this](HWND, const std::string& sText) { explained.push_back(sText); });
    // The address check's questions too, answered with bSendAnyway.
    asked.clear();
    dialog->SetAsk([this](HWND, const std::string& sText) {
      asked.push_back(sText);
      return bSendAnyway;
    });
    ASSERT_NE(dialog->Create(nullptr), nullptr);
  }
  std::vector<std::string> explained;
  std::vector<std::string> asked;
  bool bSendAnyway = false;
  HWND Item(int iId) const { return dialog->GetItem(iId); }
  void ChooseType(int iIndex) {
    SendMessageA(Item(IDC_TYPE), CB_SETCURSEL, iIndex, 0);
    SendMessageA(dialog->GetHwnd(), WM_COMMAND, MAKEWPARAM(IDC_TYPE, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Item(IDC_TYPE)));
  }
  bool PassThroughEnabled() const {
    const bool bProtocol = IsWindowEnabled(Item(IDC_PROTOCOL));
    EXPECT_EQ(bProtocol, static_cast<bool>(IsWindowEnabled(Item(IDC_BAUD))));
    return bProtocol;
  }

  const KESTO_RECORD kBase = MakeDeviceRecord(7, "Boiler room", 0xC0A8010Au);  // 192.168.1.10, type 5
  std::unique_ptr<CKestoInfo> info;
  std::unique_ptr<CConfigKestoModel> model;
  std::unique_ptr<CConfigKestoDlg> dialog;
};

TEST_F(ConfigDialogWin32Test, WindowFollowsTheTemplate) {
  Open(kBase);
  HWND hWnd = dialog->GetHwnd();
  EXPECT_EQ(WindowText(hWnd), "Kesto Configuration");
  const auto dwStyle = static_cast<DWORD>(GetWindowLongPtrA(hWnd, GWL_STYLE));
  const DWORD dwWanted = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  EXPECT_EQ(dwStyle & dwWanted, dwWanted) << std::hex << dwStyle;
  EXPECT_EQ(dwStyle & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);
  EXPECT_EQ(FontFace(hWnd), "MS Sans Serif");

  DialogTemplate dlg;
  ASSERT_TRUE(LoadDialogTemplate(IDD_CONFIG_KESTO, &dlg));
  EXPECT_FALSE(dlg.bExtended);  // a classic dialog
  EXPECT_EQ(dlg.dwStyle, static_cast<DWORD>(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU));
  EXPECT_EQ(dlg.dwExStyle, 0u);
  EXPECT_EQ(dlg.sTitle, "Kesto Configuration");
  EXPECT_EQ(dlg.sFont, "MS Sans Serif");
  EXPECT_EQ(dlg.iPointSize, 8);
  EXPECT_EQ(dlg.cx, 184);
  EXPECT_EQ(dlg.cy, 198);
  RECT client;
  GetClientRect(hWnd, &client);
  const RECT expected = DialogUnitsToPixels(hWnd, 0, 0, 184, 198);
  EXPECT_EQ(client.right, expected.right);
  EXPECT_EQ(client.bottom, expected.bottom);
}

TEST_F(ConfigDialogWin32Test, ControlsFollowTheTemplate) {
  Open(kBase);
  const DWORD kButton = BS_TYPEMASK | WS_TABSTOP;
  const DWORD kCombo = 0x3 | CBS_SORT | WS_VSCROLL | WS_TABSTOP;
  const DWORD kComboValue = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
  const DWORD kLabel = SS_TYPEMASK | WS_TABSTOP;
  const DWORD kEdit = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
  ExpectControls(dialog->GetHwnd(), IDD_CONFIG_KESTO,
                 {
                     {IDOK, "Button", "Set Configuration", kButton, BS_DEFPUSHBUTTON | WS_TABSTOP, 94, 180, 86, 14},
                     {IDCANCEL, "Button", "Cancel", kButton, BS_PUSHBUTTON | WS_TABSTOP, 38, 180, 50, 14},
                     {IDC_IPADDRESS, "SysIPAddress32", nullptr, WS_TABSTOP, WS_TABSTOP, 80, 22, 100, 15},
                     {IDC_STATIC, "Static", "IP Address", kLabel, SS_LEFT, 4, 25, 35, 8},
                     {IDC_NETMASK, "SysIPAddress32", nullptr, WS_TABSTOP, WS_TABSTOP, 80, 41, 100, 15},
                     {IDC_STATIC, "Static", "Net Mask", kLabel, SS_LEFT, 4, 44, 32, 8},
                     {IDC_GATEWAY, "SysIPAddress32", nullptr, WS_TABSTOP, WS_TABSTOP, 80, 60, 100, 15},
                     {IDC_STATIC, "Static", "Gateway", kLabel, SS_LEFT, 4, 62, 29, 8},
                     {IDC_DNS, "SysIPAddress32", nullptr, WS_TABSTOP, WS_TABSTOP, 80, 78, 100, 15},
                     {IDC_STATIC, "Static", "DNS", kLabel, SS_LEFT, 4, 81, 16, 8},
                     {IDC_TYPE, "ComboBox", nullptr, kCombo, kComboValue, 80, 99, 100, 42, true},
                     {IDC_STATIC, "Static", "Type", kLabel, SS_LEFT, 4, 101, 17, 8},
                     {IDC_STATIC, "Static", "Name", kLabel, SS_LEFT, 4, 7, 20, 8},
                     {IDC_NAME, "Edit", nullptr, kEdit, kEdit, 80, 4, 100, 14},
                     {IDC_STATIC, "Button", "Pass-Through Settings", kButton, BS_GROUPBOX, 4, 120, 176, 53},
                     {IDC_STATIC, "Static", "Protocol", kLabel, SS_LEFT, 10, 137, 27, 8},
                     {IDC_PROTOCOL, "ComboBox", nullptr, kCombo, kComboValue, 80, 134, 92, 46, true},
                     {IDC_STATIC, "Static", "Baud Rate", kLabel, SS_LEFT, 10, 154, 35, 8},
                     {IDC_BAUD, "ComboBox", nullptr, kCombo, kComboValue, 80, 152, 92, 87, true},
                 });
}

TEST_F(ConfigDialogWin32Test, ShowsTheRecord) {
  KESTO_RECORD record = kBase;
  record.dwNetMask = 0xFFFF0000u;
  record.dwGateway = 0xC0A80001u;
  record.dwDNS = 0x01020304u;
  Open(record);
  EXPECT_EQ(Address(Item(IDC_IPADDRESS)), 0xC0A8010Au);
  EXPECT_EQ(Address(Item(IDC_NETMASK)), 0xFFFF0000u);
  EXPECT_EQ(Address(Item(IDC_GATEWAY)), 0xC0A80001u);
  EXPECT_EQ(Address(Item(IDC_DNS)), 0x01020304u);
  EXPECT_EQ(WindowText(Item(IDC_NAME)), "Boiler room");
  EXPECT_EQ(ListItems(Item(IDC_TYPE)), (std::vector<std::string>{"Master", "Slave", "Aprilaire", "Passthrough"}));
  EXPECT_EQ(ListItems(Item(IDC_PROTOCOL)), (std::vector<std::string>{"RS232", "RS485"}));
  EXPECT_EQ(ListItems(Item(IDC_BAUD)),
            (std::vector<std::string>{"115200", "57600", "38400", "19200", "9600", "4800", "1200", "600", "300"}));
  EXPECT_EQ(Selection(Item(IDC_TYPE)), 3);
  EXPECT_EQ(Selection(Item(IDC_PROTOCOL)), 1);
  EXPECT_EQ(Selection(Item(IDC_BAUD)), 4);  // 9600
  EXPECT_TRUE(PassThroughEnabled());
}

TEST_F(ConfigDialogWin32Test, SelectionsFollowTypeProtocolAndBaud) {
  const struct {
    int8_t cType;
    int16_t shProtocol;
    uint16_t wBaud;
    size_t nTypes;
    int iType, iProtocol, iBaud;
    bool bEnabled;
  } kCases[] = {
      {1, 0, 9600, 1, 0, 0, 4, false},                                     // "Solvane/Duravex" only
      {2, 1, 49664, 4, 0, 1, 0, false},                                    // 115200 in 16 bits
      {3, -1, 300, 4, 1, 1, 8, false},                                     // any protocol but 0 is RS485
      {4, 2, 2400, 4, 2, 1, -1, false},                                    // no 2400 entry
      {5, 0, 57600, 4, 3, 0, 1, true},  {9, 0, 1200, 4, -1, 0, 6, false},  // unknown type: nothing chosen
  };
  for (const auto& test : kCases) {
    SCOPED_TRACE("type " + std::to_string(test.cType));
    KESTO_RECORD record = kBase;
    record.cType = test.cType;
    record.shProtocol = test.shProtocol;
    record.wBaudRate = test.wBaud;
    Open(record);
    EXPECT_EQ(ListItems(Item(IDC_TYPE)).size(), test.nTypes);
    EXPECT_EQ(Selection(Item(IDC_TYPE)), test.iType);
    EXPECT_EQ(Selection(Item(IDC_PROTOCOL)), test.iProtocol);
    EXPECT_EQ(Selection(Item(IDC_BAUD)), test.iBaud);
    EXPECT_EQ(PassThroughEnabled(), test.bEnabled);
  }
  KESTO_RECORD record = kBase;
  record.cType = 1;
  Open(record);
  EXPECT_EQ(ListItems(Item(IDC_TYPE)), std::vector<std::string>{"Solvane/Duravex"});
}

TEST_F(ConfigDialogWin32Test, ChoosingATypeSwitchesThePassThroughListsAtOnce) {
  Open(kBase);
  EXPECT_TRUE(PassThroughEnabled());
  ChooseType(1);  // Slave
  EXPECT_FALSE(PassThroughEnabled());
  ChooseType(3);  // Passthrough
  EXPECT_TRUE(PassThroughEnabled());
  ChooseType(0);
  EXPECT_FALSE(PassThroughEnabled());
}

TEST_F(ConfigDialogWin32Test, SetConfigurationHandsBackWhatTheControlsHold) {
  Open(kBase);
  SetWindowTextA(Item(IDC_NAME), "Pump house");
  SendMessageA(Item(IDC_IPADDRESS), IPM_SETADDRESS, 0, static_cast<LPARAM>(0x0A000005u));
  SendMessageA(Item(IDC_NETMASK), IPM_SETADDRESS, 0, static_cast<LPARAM>(0xFFFFFF00u));
  SendMessageA(Item(IDC_GATEWAY), IPM_SETADDRESS, 0, static_cast<LPARAM>(0x0A000001u));
  SendMessageA(Item(IDC_DNS), IPM_CLEARADDRESS, 0, 0);  // blank counts as 0
  ChooseType(3);
  SendMessageA(Item(IDC_PROTOCOL), CB_SETCURSEL, 0, 0);
  SendMessageA(Item(IDC_BAUD), CB_SETCURSEL, 0, 0);
  SendMessageA(Item(IDOK), BM_CLICK, 0, 0);
  ASSERT_TRUE(dialog->IsFinished());
  ASSERT_TRUE(dialog->IsConfirmed());

  const CKestoSettingsChange values = model->GetChange();
  EXPECT_EQ(*values.sName, "Pump house");
  EXPECT_EQ(*values.dwIPAddress, 0x0A000005u);
  EXPECT_EQ(*values.dwNetMask, 0xFFFFFF00u);
  EXPECT_EQ(*values.dwGateway, 0x0A000001u);
  EXPECT_EQ(*values.dwDNS, 0u);
  EXPECT_EQ(*values.cType, 5);
  EXPECT_EQ(*values.shProtocol, 0);
  EXPECT_EQ(BaudFromWire(*values.wBaudRate), 115200);
}

TEST_F(ConfigDialogWin32Test, AddressesThatCutTheDeviceOffAreQuestionedBeforeSending) {
  const struct {
    DWORD dwIP, dwMask, dwGateway;
    int iFocus;  // where the focus goes back to when nothing was sent; 0: nothing is asked
  } kCases[] = {
      {0xC0A8010Bu, 0xFFFFFF00u, 0xC0A80101u, 0},              // fine
      {0xC0A8010Bu, 0xFF00FF00u, 0xC0A80101u, IDC_NETMASK},    // not a mask
      {0xC0A8010Bu, 0xFFFFFF00u, 0x0A000001u, IDC_GATEWAY},    // gateway elsewhere
      {0, 0xFFFFFF00u, 0, IDC_IPADDRESS},                      // 0.0.0.0
      {0xFFFFFFFFu, 0xFFFFFF00u, 0, IDC_IPADDRESS},            // 255.255.255.255
      {0xC0A801FFu, 0xFFFFFF00u, 0, IDC_IPADDRESS},            // broadcast address
      {0xC0A80114u, 0xFFFFFF00u, 0, IDC_IPADDRESS},            // another device's
  };
  // Each refusal is asked about; "No" keeps the dialog at the field named, "Yes" sends.
  for (const auto& test : kCases) {
    for (const bool bAnyway : {false, true}) {
      SCOPED_TRACE(std::to_string(test.dwIP) + " " + std::to_string(test.dwMask) + " " +
                   std::to_string(test.dwGateway) + (bAnyway ? " anyway" : ""));
      Open(kBase);
      bSendAnyway = bAnyway;
      dialog->SetOtherDevices({{0xC0A80114u, "Pump house (00-1A-2B-3C-4D-09)"}});
      SendMessageA(Item(IDC_IPADDRESS), IPM_SETADDRESS, 0, static_cast<LPARAM>(test.dwIP));
      SendMessageA(Item(IDC_NETMASK), IPM_SETADDRESS, 0, static_cast<LPARAM>(test.dwMask));
      SendMessageA(Item(IDC_GATEWAY), IPM_SETADDRESS, 0, static_cast<LPARAM>(test.dwGateway));
      SendMessageA(Item(IDOK), BM_CLICK, 0, 0);
      const bool bConfirmed = test.iFocus == 0 || bAnyway;
      EXPECT_EQ(asked.size(), test.iFocus != 0 ? 1u : 0u);
      EXPECT_EQ(dialog->IsConfirmed(), bConfirmed);
      EXPECT_EQ(dialog->IsFinished(), bConfirmed);
      if (bConfirmed) {
        EXPECT_EQ(*model->GetChange().dwIPAddress, test.dwIP);
        EXPECT_EQ(*model->GetChange().dwNetMask, test.dwMask);
      } else {
        const HWND hFocus = GetFocus();
        EXPECT_TRUE(hFocus == Item(test.iFocus) || IsChild(Item(test.iFocus), hFocus));
      }
    }
  }
  EXPECT_NE(asked.back().find("Pump house (00-1A-2B-3C-4D-09)"), std::string::npos) << asked.back();
}

TEST_F(ConfigDialogWin32Test, DisabledListsAndTheOnlyTypeStillCount) {
  KESTO_RECORD record = kBase;
  record.cType = 1;
  record.shProtocol = 1;
  record.wBaudRate = 4800;
  Open(record);
  // A name longer than the field is explained and nothing is handed back.
  std::string sLong(40, 'n');
  SetWindowTextA(Item(IDC_NAME), sLong.c_str());
  SendMessageA(Item(IDOK), BM_CLICK, 0, 0);
  EXPECT_FALSE(dialog->IsFinished());
  ASSERT_EQ(explained.size(), 1u);
  EXPECT_NE(explained[0].find("at most 27"), std::string::npos) << explained[0];
  SetWindowTextA(Item(IDC_NAME), std::string(KESTO_NAME_MAX, 'n').c_str());
  SendMessageA(Item(IDOK), BM_CLICK, 0, 0);
  ASSERT_TRUE(dialog->IsConfirmed());
  const CKestoSettingsChange values = model->GetChange();
  EXPECT_EQ(*values.cType, 2);  // index 0 is type code 2 even for "Solvane/Duravex"
  EXPECT_EQ(*values.shProtocol, 1);
  EXPECT_EQ(BaudFromWire(*values.wBaudRate), 4800);
  EXPECT_EQ(*values.sName, std::string(KESTO_NAME_MAX, 'n'));
  EXPECT_EQ(SendMessageA(Item(IDC_NAME), EM_GETLIMITTEXT, 0, 0), static_cast<LRESULT>(KESTO_NAME_MAX));
}

TEST_F(ConfigDialogWin32Test, ANameLeftAloneGoesBackByteForByte) {
  // A full 28-byte name and Latin-1 bytes the window's code page may lack.
  for (const std::string& sName : {std::string(28, 'F'), std::string("Caf\xE9 \x80\x9F\xFF")}) {
    KESTO_RECORD record = kBase;
    std::memset(record.szName, 0, sizeof record.szName);
    std::memcpy(record.szName, sName.data(), sName.size());
    Open(record);
    SendMessageA(Item(IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(dialog->IsConfirmed());
    EXPECT_TRUE(explained.empty());
    EXPECT_EQ(*model->GetChange().sName, sName);
  }
}

TEST_F(ConfigDialogWin32Test, CancelButtonAndCloseBoxConfirmNothing) {
  for (bool bCloseBox : {false, true}) {
    SCOPED_TRACE(bCloseBox ? "close box" : "Cancel");
    Open(kBase);
    SetWindowTextA(Item(IDC_NAME), "Not this");
    if (bCloseBox) {
      // The dialog manager turns the close into a posted Cancel.
      SendMessageA(dialog->GetHwnd(), WM_CLOSE, 0, 0);
      for (int i = 0; i < 100 && PumpOneMessage(dialog->GetHwnd()); ++i) {
      }
    } else {
      SendMessageA(Item(IDCANCEL), BM_CLICK, 0, 0);
    }
    EXPECT_TRUE(dialog->IsFinished());
    EXPECT_FALSE(dialog->IsConfirmed());
    EXPECT_FALSE(model->IsConfirmed());
    EXPECT_EQ(info->GetName(), "Boiler room");
  }
}

}  // namespace
