#include "app/win32/TargetInputDlg.h"

#include "app/logic/PollingLoop.h"
#include "app/logic/TargetList.h"
#include "app/win32/MessagePump.h"
#include "app/win32/WideText.h"
#include "app/win32/resource.h"

namespace {

struct Exchange {
  std::wstring sPrompt;
  std::wstring sText;
  int iChosen = 0;  // IDOK or IDCANCEL once the user chose
};

INT_PTR CALLBACK TargetProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  auto* pExchange = reinterpret_cast<Exchange*>(GetWindowLongPtrW(hWnd, DWLP_USER));
  if (pExchange == nullptr && uMsg != WM_INITDIALOG) return FALSE;
  switch (uMsg) {
    case WM_INITDIALOG:
      pExchange = reinterpret_cast<Exchange*>(lParam);
      SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
      SetDlgItemTextW(hWnd, IDC_TARGET_PROMPT, pExchange->sPrompt.c_str());
      SetDlgItemTextW(hWnd, IDC_TARGET_TEXT, pExchange->sText.c_str());
      SendDlgItemMessageW(hWnd, IDC_TARGET_TEXT, EM_SETSEL, 0, -1);
      SetFocus(GetDlgItem(hWnd, IDC_TARGET_TEXT));
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) pExchange->sText = WindowTextOf(GetDlgItem(hWnd, IDC_TARGET_TEXT));
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {  // the buttons, Enter, Esc, the close box
        pExchange->iChosen = LOWORD(wParam);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

bool AskForTarget(HWND hOwner, const std::string& sReason, std::string* psText, const std::function<void()>& fnPass,
                  const std::function<void(int)>& fnPause) {
  Exchange exchange{WideFromUtf8(CTargetList::PromptText(sReason)), WideFromUtf8(*psText)};
  HWND hDialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ADD_TARGET), hOwner, &TargetProc,
                                    reinterpret_cast<LPARAM>(&exchange));
  if (hDialog == nullptr) return false;
  // The owner is disabled meanwhile, as a dialog box's owner is.
  if (hOwner != nullptr) EnableWindow(hOwner, FALSE);
  ShowWindow(hDialog, SW_SHOW);
  CPollingLoop::Run({[&exchange, hDialog] { return exchange.iChosen != 0 || !IsWindow(hDialog); },
                     [hDialog] { return PumpOneMessage(hDialog); }, fnPause, fnPass});
  if (hOwner != nullptr) {
    EnableWindow(hOwner, TRUE);
    SetActiveWindow(hOwner);
  }
  DestroyWindow(hDialog);
  if (exchange.iChosen != IDOK) return false;
  *psText = Utf8FromWide(exchange.sText);
  return true;
}
