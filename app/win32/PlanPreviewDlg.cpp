#include "app/win32/PlanPreviewDlg.h"

#include "app/logic/PlanPreviewTable.h"
#include "app/win32/DialogLoop.h"
#include "app/win32/PlanList.h"
#include "app/win32/WideText.h"
#include "app/win32/resource.h"

namespace {

struct Exchange {
  const std::string& sFileName;
  const PlanPreview& preview;
  bool bDone = false;
  bool bApplied = false;
};

INT_PTR CALLBACK PreviewProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  auto* pExchange = reinterpret_cast<Exchange*>(GetWindowLongPtrW(hWnd, DWLP_USER));
  if (uMsg == WM_INITDIALOG) {
    pExchange = reinterpret_cast<Exchange*>(lParam);
    SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
    SetDlgItemTextW(hWnd, IDC_PLAN_INTRO, WideFromUtf8(CPlanPreviewTable::IntroText(pExchange->sFileName)).c_str());
    HWND hList = GetDlgItem(hWnd, IDC_PLAN_LIST);
    SetUpPlanList(hList);
    ShowPlanInList(hList, pExchange->preview);
    SetDlgItemTextW(hWnd, IDC_PLAN_SUMMARY, WideFromUtf8(CPlanPreviewTable::SummaryWithWarnings(pExchange->preview)).c_str());
    SetDlgItemTextW(hWnd, IDOK, WideFromUtf8(CPlanPreviewTable::ApplyText(pExchange->preview)).c_str());
    const bool bCan = pExchange->preview.CountChanged() > 0 && !PlanMakesSharedIP(pExchange->preview);
    EnableWindow(GetDlgItem(hWnd, IDOK), bCan);
    SetFocus(GetDlgItem(hWnd, bCan ? IDOK : IDCANCEL));
    return FALSE;
  }
  if (pExchange == nullptr || uMsg != WM_COMMAND) return FALSE;
  const int iId = LOWORD(wParam);
  if (iId != IDOK && iId != IDCANCEL) return FALSE;
  // Enter on a greyed Apply does nothing.
  if (iId == IDOK && !IsWindowEnabled(GetDlgItem(hWnd, IDOK))) return TRUE;
  pExchange->bApplied = iId == IDOK;
  pExchange->bDone = true;
  return TRUE;
}

}  // namespace

bool ConfirmPlan(HWND hOwner, const std::string& sFileName, const PlanPreview& preview,
                 const std::function<void()>& fnPass, const std::function<void(int)>& fnPause) {
  Exchange exchange{sFileName, preview};
  HWND hDialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PLAN_PREVIEW), hOwner, &PreviewProc,
                                    reinterpret_cast<LPARAM>(&exchange));
  if (hDialog == nullptr) return false;
  RunDialogLoop(hDialog, hOwner, &exchange.bDone, fnPass, fnPause);
  return exchange.bApplied;
}
