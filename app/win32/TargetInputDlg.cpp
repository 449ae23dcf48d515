#include "app/win32/TargetInputDlg.h"

#include "app/win32/WideText.h"
#include "app/win32/resource.h"

namespace {

struct Exchange {
  std::wstring sPrompt;
  std::wstring sText;
};

INT_PTR CALLBACK TargetProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  auto* pExchange = reinterpret_cast<Exchange*>(GetWindowLongPtrW(hWnd, DWLP_USER));
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
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(hWnd, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

bool AskForTarget(HWND hOwner, const std::string& sReason, std::string* psText) {
  static const std::string kPrompt = "Address or range to probe (A.B.C.D or A.B.C.D/prefix):";
  Exchange exchange{WideFromUtf8(sReason.empty() ? kPrompt : sReason + "\n" + kPrompt), WideFromUtf8(*psText)};
  const INT_PTR iChosen = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ADD_TARGET), hOwner,
                                          &TargetProc, reinterpret_cast<LPARAM>(&exchange));
  if (iChosen != IDOK) return false;
  *psText = Utf8FromWide(exchange.sText);
  return true;
}
