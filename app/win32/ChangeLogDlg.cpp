#include "app/win32/ChangeLogDlg.h"

#include "app/logic/UndoLastChange.h"
#include "app/win32/DialogLoop.h"
#include "app/win32/WideText.h"
#include "app/win32/resource.h"

namespace {

struct Exchange {
  const char* pszCaption;
  std::wstring sText;
  bool bAsk;  // the undo's question; otherwise the history, with Close only
  bool bDone = false;
  bool bConfirmed = false;
};

// The edit control breaks lines at CR LF only.
std::wstring EditText(const std::string& sText) {
  std::wstring sWide;
  for (wchar_t c : WideFromUtf8(sText)) {
    if (c == L'\n') sWide += L'\r';
    sWide += c;
  }
  return sWide;
}

INT_PTR CALLBACK ChangeTextProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  auto* pExchange = reinterpret_cast<Exchange*>(GetWindowLongPtrW(hWnd, DWLP_USER));
  if (uMsg == WM_INITDIALOG) {
    pExchange = reinterpret_cast<Exchange*>(lParam);
    SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
    SetWindowTextW(hWnd, WideFromUtf8(pExchange->pszCaption).c_str());
    SetDlgItemTextW(hWnd, IDC_CHANGE_TEXT, pExchange->sText.c_str());
    if (!pExchange->bAsk) {
      ShowWindow(GetDlgItem(hWnd, IDOK), SW_HIDE);
      EnableWindow(GetDlgItem(hWnd, IDOK), FALSE);
      SetDlgItemTextW(hWnd, IDCANCEL, L"Close");
    }
    // Nothing is sent unless the user picks "Send back" on purpose: Cancel is the default and has the focus.
    SetFocus(GetDlgItem(hWnd, IDCANCEL));
    return FALSE;
  }
  if (pExchange == nullptr || uMsg != WM_COMMAND) return FALSE;
  const int iId = LOWORD(wParam);
  if (iId != IDOK && iId != IDCANCEL) return FALSE;
  if (iId == IDOK && !pExchange->bAsk) return TRUE;
  pExchange->bConfirmed = iId == IDOK;
  pExchange->bDone = true;
  return TRUE;
}

bool RunChangeText(HWND hOwner, Exchange& exchange, const std::function<void()>& fnPass,
                   const std::function<void(int)>& fnPause) {
  HWND hDialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CHANGE_TEXT), hOwner,
                                    &ChangeTextProc, reinterpret_cast<LPARAM>(&exchange));
  if (hDialog == nullptr) return false;
  RunDialogLoop(hDialog, hOwner, &exchange.bDone, fnPass, fnPause);
  return exchange.bConfirmed;
}

}  // namespace

bool ConfirmUndo(HWND hOwner, const std::string& sPreview, const std::function<void()>& fnPass,
                 const std::function<void(int)>& fnPause) {
  Exchange exchange{"Undo last change", EditText(sPreview), true};
  return RunChangeText(hOwner, exchange, fnPass, fnPause);
}

void ShowChangeHistory(HWND hOwner, const std::vector<std::string>& lines, const std::function<void()>& fnPass,
                       const std::function<void(int)>& fnPause) {
  std::string sText;
  for (const std::string& sLine : lines) sText += (sText.empty() ? "" : "\n") + sLine;
  if (sText.empty()) sText = CUndoLastChange::kNoChangeText;
  Exchange exchange{"Change history", EditText(sText), false};
  RunChangeText(hOwner, exchange, fnPass, fnPause);
}
