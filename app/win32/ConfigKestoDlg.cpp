#include "app/win32/ConfigKestoDlg.h"

#include <commctrl.h>

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

std::string WindowText(HWND hWnd) {
  std::string sText(static_cast<size_t>(GetWindowTextLengthA(hWnd)) + 1, '\0');
  sText.resize(static_cast<size_t>(GetWindowTextA(hWnd, sText.data(), static_cast<int>(sText.size()))));
  return sText;
}

}  // namespace

CConfigKestoDlg::CConfigKestoDlg(CConfigKestoModel& model) : m_model(model) {}

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
  // As many characters as the record's name field holds, as the Qt dialog allows.
  SendMessageA(GetItem(IDC_NAME), EM_LIMITTEXT, KESTO_NAME_MAX, 0);
  SetWindowTextA(GetItem(IDC_NAME), m_model.GetName().c_str());
  FillList(GetItem(IDC_PROTOCOL), CConfigKestoModel::GetProtocolItems(), m_model.GetProtocolSelection());
  FillList(GetItem(IDC_BAUD), CConfigKestoModel::GetBaudItems(), m_model.GetBaudSelection());
  UpdatePassThrough();
}

void CConfigKestoDlg::OnSelchangeType() {
  m_model.SetTypeSelection(Selection(GetItem(IDC_TYPE)));
  UpdatePassThrough();
}

void CConfigKestoDlg::OnSetConfiguration() {
  m_model.SetName(WindowText(GetItem(IDC_NAME)));
  for (int i = 0; i < 4; ++i) {
    DWORD dwAddress = 0;  // blank fields read as 0
    SendMessageA(GetItem(kAddressIds[i]), IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&dwAddress));
    m_model.SetAddress(static_cast<CConfigKestoModel::Address>(i), dwAddress);
  }
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
