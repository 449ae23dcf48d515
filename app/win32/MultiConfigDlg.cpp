#include "app/win32/MultiConfigDlg.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "app/logic/PlanPreviewTable.h"
#include "app/logic/WindowTexts.h"
#include "app/win32/DialogLoop.h"
#include "app/win32/PlanList.h"
#include "app/win32/WideText.h"
#include "app/win32/resource.h"

namespace {

struct Exchange {
  CMultiConfigForm& form;
  bool bDone = false;
  bool bFilling = true;  // no plan is worked out while the controls are being filled
};

constexpr int kEdits[] = {IDC_MULTI_NAME, IDC_MULTI_FIRST_IP, IDC_MULTI_LAST_IP, IDC_MULTI_NETMASK, IDC_MULTI_GATEWAY,
                          IDC_MULTI_DNS};

void FillCombo(HWND hDialog, int iId, const std::vector<std::string>& items) {
  HWND hCombo = GetDlgItem(hDialog, iId);
  SendMessageW(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(CPlanPreviewTable::kUnchanged).c_str()));
  for (const std::string& sItem : items)
    SendMessageW(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(sItem).c_str()));
  SendMessageW(hCombo, CB_SETCURSEL, 0, 0);
}

std::string EditText(HWND hDialog, int iId) { return Utf8FromWide(WindowTextOf(GetDlgItem(hDialog, iId))); }

// The first entry of each list leaves the setting alone.
int ComboChoice(HWND hDialog, int iId) {
  return static_cast<int>(SendDlgItemMessageW(hDialog, iId, CB_GETCURSEL, 0, 0)) - 1;
}

void OnEdited(HWND hDialog, CMultiConfigForm& form) {
  CMultiConfigForm::Fields fields;
  fields.sName = EditText(hDialog, IDC_MULTI_NAME);
  fields.sFirstIP = EditText(hDialog, IDC_MULTI_FIRST_IP);
  fields.sLastIP = EditText(hDialog, IDC_MULTI_LAST_IP);
  fields.sNetMask = EditText(hDialog, IDC_MULTI_NETMASK);
  fields.sGateway = EditText(hDialog, IDC_MULTI_GATEWAY);
  fields.sDNS = EditText(hDialog, IDC_MULTI_DNS);
  fields.iType = ComboChoice(hDialog, IDC_MULTI_TYPE);
  fields.iProtocol = ComboChoice(hDialog, IDC_MULTI_PROTOCOL);
  fields.iBaud = ComboChoice(hDialog, IDC_MULTI_BAUD);
  form.SetFields(fields);
  ShowPlanInList(GetDlgItem(hDialog, IDC_MULTI_PLAN), form.GetPreview());
  const std::string sProblem =
      form.CanApply() ? CPlanPreviewTable::SummaryText(form.GetPreview()) + "." : form.GetProblem();
  SetDlgItemTextW(hDialog, IDC_MULTI_PROBLEM, WideFromUtf8(sProblem).c_str());
  SetDlgItemTextW(hDialog, IDOK, WideFromUtf8(CPlanPreviewTable::ApplyText(form.GetPreview())).c_str());
  EnableWindow(GetDlgItem(hDialog, IDOK), form.CanApply());
  // Shown only when the address rule alone refuses the plan; never the default button.
  ShowWindow(GetDlgItem(hDialog, IDC_MULTI_SEND_ANYWAY), form.MaySendAnyway() ? SW_SHOW : SW_HIDE);
}

INT_PTR CALLBACK MultiProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  auto* pExchange = reinterpret_cast<Exchange*>(GetWindowLongPtrW(hWnd, DWLP_USER));
  if (uMsg == WM_INITDIALOG) {
    pExchange = reinterpret_cast<Exchange*>(lParam);
    SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
    const size_t nDevices = pExchange->form.GetDeviceCount();
    SetWindowTextW(hWnd, WideFromUtf8(CWindowTexts::MultiConfigCaption(nDevices)).c_str());
    SetDlgItemTextW(hWnd, IDC_MULTI_INTRO, WideFromUtf8(CWindowTexts::MultiConfigIntro(nDevices)).c_str());
    for (int iId : kEdits)
      if (iId != IDC_MULTI_NAME)
        SendDlgItemMessageW(hWnd, iId, EM_SETCUEBANNER, TRUE,
                            reinterpret_cast<LPARAM>(
                                iId == IDC_MULTI_LAST_IP ? L"end of its subnet" : WideFromUtf8(CPlanPreviewTable::kUnchanged).c_str()));
    SendDlgItemMessageW(hWnd, IDC_MULTI_NAME, EM_SETLIMITTEXT, 27, 0);
    FillCombo(hWnd, IDC_MULTI_TYPE, CMultiConfigForm::GetTypeItems());
    FillCombo(hWnd, IDC_MULTI_PROTOCOL, CMultiConfigForm::GetProtocolItems());
    FillCombo(hWnd, IDC_MULTI_BAUD, CMultiConfigForm::GetBaudItems());
    SetUpPlanList(GetDlgItem(hWnd, IDC_MULTI_PLAN));
    pExchange->bFilling = false;
    OnEdited(hWnd, pExchange->form);
    SetFocus(GetDlgItem(hWnd, IDC_MULTI_NAME));
    return FALSE;
  }
  if (pExchange == nullptr || uMsg != WM_COMMAND) return FALSE;
  const int iId = LOWORD(wParam), iCode = HIWORD(wParam);
  switch (iId) {
    case IDOK:
      // Enter on a greyed Apply does nothing.
      if (!IsWindowEnabled(GetDlgItem(hWnd, IDOK))) return TRUE;
      pExchange->form.Confirm();
      pExchange->bDone = pExchange->form.IsConfirmed();
      return TRUE;
    case IDC_MULTI_SEND_ANYWAY:
      if (iCode != BN_CLICKED || !IsWindowVisible(GetDlgItem(hWnd, IDC_MULTI_SEND_ANYWAY))) return TRUE;
      pExchange->form.Confirm(true);
      pExchange->bDone = pExchange->form.IsConfirmed();
      return TRUE;
    case IDCANCEL:  // the button, the close box and Esc
      pExchange->bDone = true;
      return TRUE;
    case IDC_MULTI_TYPE:
    case IDC_MULTI_PROTOCOL:
    case IDC_MULTI_BAUD:
      if (iCode == CBN_SELCHANGE && !pExchange->bFilling) OnEdited(hWnd, pExchange->form);
      return TRUE;
    default:
      if (iCode == EN_CHANGE && !pExchange->bFilling) OnEdited(hWnd, pExchange->form);
      return FALSE;
  }
}

}  // namespace

bool RunMultiConfigDialog(HWND hOwner, CMultiConfigForm& form, const std::function<void()>& fnPass,
                          const std::function<void(int)>& fnPause) {
  Exchange exchange{form};
  HWND hDialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MULTI_CONFIG), hOwner, &MultiProc,
                                    reinterpret_cast<LPARAM>(&exchange));
  if (hDialog == nullptr) return false;
  RunDialogLoop(hDialog, hOwner, &exchange.bDone, fnPass, fnPause);
  return form.IsConfirmed();
}
