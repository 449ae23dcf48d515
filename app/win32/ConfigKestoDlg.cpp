#include "app/win32/ConfigKestoDlg.h"

#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/logic/ConfigKestoModel.h"
#include "app/logic/PollingLoop.h"
#include "app/win32/MessagePump.h"
#include "app/win32/resource.h"

namespace {

constexpr int kAddressIds[4] = {IDC_IPADDRESS, IDC_NETMASK, IDC_GATEWAY, IDC_DNS};

void FillList(HWND hList, const std::vector<std::string>& items, int iSelection) {
  SendMessageA(hList, CB_RESETCONTENT, 0, 0);
  for (const std::string& sItem : items) SendMessageA(hList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(sItem.c_str()));
  SendMessageA(hList, CB_SETCURSEL, static_cast<WPARAM>(iSelection), 0);
}

int Selection(HWND hList) { return static_cast<int>(SendMessageA(hList, CB_GETCURSEL, 0, 0)); }

std::wstring WindowTextW(HWND hWnd) {
  std::wstring sText(static_cast<size_t>(GetWindowTextLengthW(hWnd)) + 1, L'\0');
  sText.resize(static_cast<size_t>(GetWindowTextW(hWnd, sText.data(), static_cast<int>(sText.size()))));
  return sText;
}

// The record's Latin-1 bytes as UTF-16: each byte is the character of the same number.
std::wstring Latin1ToWide(const std::string& sBytes) {
  std::wstring sText;
  for (char c : sBytes) sText += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return sText;
}

// UTF-16 as UTF-8, so the name rule sees what was typed; a lone surrogate becomes U+FFFD.
std::string WideToUtf8(const std::wstring& sText) {
  std::string sOut;
  for (size_t i = 0; i < sText.size(); ++i) {
    uint32_t dwCode = static_cast<uint16_t>(sText[i]);
    if (dwCode >= 0xD800 && dwCode < 0xDC00 && i + 1 < sText.size() && sText[i + 1] >= 0xDC00 &&
        sText[i + 1] < 0xE000) {
      dwCode = 0x10000 + ((dwCode - 0xD800) << 10) + (static_cast<uint16_t>(sText[++i]) - 0xDC00);
    } else if (dwCode >= 0xD800 && dwCode < 0xE000) {
      dwCode = 0xFFFD;
    }
    if (dwCode < 0x80) {
      sOut += static_cast<char>(dwCode);
    } else if (dwCode < 0x800) {
      sOut += static_cast<char>(0xC0 | dwCode >> 6);
      sOut += static_cast<char>(0x80 | (dwCode & 0x3F));
    } else if (dwCode < 0x10000) {
      sOut += static_cast<char>(0xE0 | dwCode >> 12);
      sOut += static_cast<char>(0x80 | (dwCode >> 6 & 0x3F));
      sOut += static_cast<char>(0x80 | (dwCode & 0x3F));
    } else {
      sOut += static_cast<char>(0xF0 | dwCode >> 18);
      sOut += static_cast<char>(0x80 | (dwCode >> 12 & 0x3F));
      sOut += static_cast<char>(0x80 | (dwCode >> 6 & 0x3F));
      sOut += static_cast<char>(0x80 | (dwCode & 0x3F));
    }
  }
  return sOut;
}

}  // namespace

CConfigKestoDlg::CConfigKestoDlg(CConfigKestoModel& model)
    : m_model(model), m_fnExplain([](HWND hOwner, const std::string& sText) {
        MessageBoxA(hOwner, sText.c_str(), "Kesto Configuration", MB_OK | MB_ICONWARNING);
      }),
      m_fnAsk([](HWND hOwner, const std::string& sText) {
        // "No", the default, goes back to the dialog to change the address.
        return MessageBoxA(hOwner, (sText + "\n\nNothing has been sent yet. Send anyway?").c_str(),
                           "Kesto Configuration", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
      }) {}

CConfigKestoDlg::~CConfigKestoDlg() {
  if (m_hWnd != nullptr) DestroyWindow(m_hWnd);
}

HWND CConfigKestoDlg::Create(HWND hOwner) {
  m_bFinished = m_bConfirmed = false;
  m_hWnd = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONFIG_KESTO), hOwner, &DialogProc,
                              reinterpret_cast<LPARAM>(this));
  if (m_hWnd != nullptr) ShowWindow(m_hWnd, SW_SHOW);
  return m_hWnd;
}

bool CConfigKestoDlg::RunModal(HWND hOwner, const std::function<void()>& fnPass,
                               const std::function<void(int)>& fnPause, const TurnHook& fnTurn) {
  if (Create(hOwner) == nullptr) return false;
  if (hOwner != nullptr) EnableWindow(hOwner, FALSE);
  CPollingLoop::Run({[this] { return m_bFinished; }, [this] { return PumpOneMessage(m_hWnd); }, fnPause,
                     [this, &fnPass, &fnTurn] {
                       fnPass();
                       if (fnTurn && !m_bFinished) fnTurn(*this);
                     }});
  // The owner comes back before the dialog goes, so activation returns to it.
  if (hOwner != nullptr) {
    EnableWindow(hOwner, TRUE);
    SetActiveWindow(hOwner);
  }
  DestroyWindow(m_hWnd);
  m_hWnd = nullptr;
  return m_bConfirmed;
}

INT_PTR CALLBACK CConfigKestoDlg::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == WM_INITDIALOG) {
    auto* pThis = reinterpret_cast<CConfigKestoDlg*>(lParam);
    SetWindowLongPtrA(hWnd, GWLP_USERDATA, lParam);
    pThis->m_hWnd = hWnd;
    pThis->OnInitDialog();
    // The focus goes to the first control in tab order, "Set Configuration".
    return TRUE;
  }
  auto* pThis = reinterpret_cast<CConfigKestoDlg*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
  if (pThis == nullptr || uMsg != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK:
      pThis->OnSetConfiguration();
      return TRUE;
    case IDCANCEL:  // the button, the close box and Esc
      pThis->m_bFinished = true;
      return TRUE;
    case IDC_TYPE:
      if (HIWORD(wParam) == CBN_SELCHANGE) pThis->OnSelchangeType();
      return TRUE;
    default:
      return FALSE;
  }
}

void CConfigKestoDlg::OnInitDialog() {
  for (int i = 0; i < 4; ++i)
    SendMessageA(GetItem(kAddressIds[i]), IPM_SETADDRESS, 0,
                 static_cast<LPARAM>(m_model.GetAddress(static_cast<CConfigKestoModel::Address>(i))));
  FillList(GetItem(IDC_TYPE), m_model.GetTypeItems(), m_model.GetTypeSelection());
  // As many characters as a name may take, as the Qt dialog allows (a full 28-byte name still shows).
  SendMessageA(GetItem(IDC_NAME), EM_LIMITTEXT, m_model.GetNameLimit(), 0);
  // The record's bytes are Latin-1; the window's code page may lack some of them, so
  // what the control holds is read back: the same text at "Set Configuration" means
  // the name was left alone and goes back byte for byte.
  SetWindowTextW(GetItem(IDC_NAME), Latin1ToWide(m_model.GetName()).c_str());
  m_sShownName = WindowTextW(GetItem(IDC_NAME));
  FillList(GetItem(IDC_PROTOCOL), CConfigKestoModel::GetProtocolItems(), m_model.GetProtocolSelection());
  FillList(GetItem(IDC_BAUD), CConfigKestoModel::GetBaudItems(), m_model.GetBaudSelection());
  UpdatePassThrough();
}

void CConfigKestoDlg::OnSelchangeType() {
  m_model.SetTypeSelection(Selection(GetItem(IDC_TYPE)));
  UpdatePassThrough();
}

void CConfigKestoDlg::OnSetConfiguration() {
  const std::wstring sName = WindowTextW(GetItem(IDC_NAME));
  std::string sError;
  if (sName != m_sShownName && !m_model.SetName(WideToUtf8(sName), &sError)) {
    // Nothing is handed back: the user corrects the name or cancels.
    if (m_fnExplain) m_fnExplain(m_hWnd, "Name: " + sError + ". Nothing was sent.");
    SetFocus(GetItem(IDC_NAME));
    return;
  }
  DWORD dwAddresses[4] = {};  // blank fields read as 0
  for (int i = 0; i < 4; ++i)
    SendMessageA(GetItem(kAddressIds[i]), IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&dwAddresses[i]));
  // Settings that would make the device unreachable are explained before anything is sent.
  const CConfigAddressCheck::Result check =
      m_model.CheckAddresses(dwAddresses[0], dwAddresses[1], dwAddresses[2], m_others);
  if (check.problem != CConfigAddressCheck::kNone && !(m_fnAsk && m_fnAsk(m_hWnd, check.sText))) {
    SetFocus(GetItem(check.problem == CConfigAddressCheck::kNetMask   ? IDC_NETMASK
                     : check.problem == CConfigAddressCheck::kGateway ? IDC_GATEWAY
                                                                      : IDC_IPADDRESS));
    return;
  }
  for (int i = 0; i < 4; ++i) m_model.SetAddress(static_cast<CConfigKestoModel::Address>(i), dwAddresses[i]);
  m_model.SetTypeSelection(Selection(GetItem(IDC_TYPE)));
  // The two lists count whether or not they are enabled.
  m_model.SetProtocolSelection(Selection(GetItem(IDC_PROTOCOL)));
  m_model.SetBaudSelection(Selection(GetItem(IDC_BAUD)));
  m_model.Confirm();
  m_bConfirmed = true;
  m_bFinished = true;
}

void CConfigKestoDlg::UpdatePassThrough() {
  const BOOL bEnabled = m_model.IsPassThroughEnabled() ? TRUE : FALSE;
  EnableWindow(GetItem(IDC_PROTOCOL), bEnabled);
  EnableWindow(GetItem(IDC_BAUD), bEnabled);
}
