#include "tests/win32/SelfTest.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

#include "app/win32/QUORINDlg.h"
#include "app/win32/WideText.h"
#include "app/win32/resource.h"
#include "plan/ChangeLog.h"
#include "platform/TickCount.h"
#include "tests/win32/ListViewAccess.h"
#include "tests/win32/WindowCapture.h"

namespace {

// Long enough for Wine to have put the painted window on the X display.
constexpr uint32_t kSettleMs = 800;

// The capture a timer takes from inside a dialog's loop.
struct DialogCapture {
  const char* pszCaption;
  std::string sFile;
  const std::function<void(HWND)>* pfnPrepare;
  HWND hDialog = nullptr;
  uint32_t dwSeen = 0;
  uint32_t dwStart = 0;
  std::string sProblem = "it did not open";
};
DialogCapture* g_pCapture = nullptr;

void CALLBACK OnCaptureTick(HWND, UINT, UINT_PTR uId, DWORD) {
  DialogCapture& capture = *g_pCapture;
  const uint32_t dwNow = platform::GetTickCount32();
  HWND hDialog = FindWindowA(nullptr, capture.pszCaption);
  if (capture.hDialog == nullptr) {
    if (hDialog != nullptr && IsWindowVisible(hDialog)) {
      capture.hDialog = hDialog;
      capture.dwSeen = dwNow;
      (*capture.pfnPrepare)(hDialog);
    } else if (dwNow - capture.dwStart > 10000) {
      KillTimer(nullptr, uId);
    }
    return;
  }
  if (dwNow - capture.dwSeen < kSettleMs) return;
  capture.sProblem.clear();
  if (!SaveWindowBitmap(capture.hDialog, capture.sFile, &capture.sProblem)) capture.sProblem = "capture: " + capture.sProblem;
  PostMessageW(capture.hDialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  KillTimer(nullptr, uId);
}

std::string Caption(HWND hWnd) {
  char szText[256] = {};
  GetWindowTextA(hWnd, szText, sizeof szText);
  return szText;
}

}  // namespace

CSelfTest::CSelfTest(SelfTestOptions options)
    : m_options(std::move(options)), m_dwStart(platform::GetTickCount32()) {}

void CSelfTest::Started(CQUORINDlg& window) {
  m_pWindow = &window;
  m_hWnd = window.GetHwnd();
  if (!m_options.sMoreShots.empty()) {
    // The undo needs a logged change: the log goes beside the captures, never to the user's own.
    SetEnvironmentVariableW(L"LOCALAPPDATA", WideFromUtf8(m_options.sMoreShots).c_str());
    CChangeLog::Process().Open(CChangeLog::DefaultPath(), "native window", {});
  }
}

HWND CSelfTest::List() const { return DeviceListOf(m_hWnd); }

bool CSelfTest::TimedOut() const { return platform::GetTickCount32() - m_dwStart > m_options.dwTimeoutMs; }

bool CSelfTest::AfterPass() {
  switch (m_state) {
    case State::kWaiting:
      if (ListRowCount(List()) >= m_options.nExpect) {
        if (m_options.bSetIP || m_options.bShareIP)
          StartSetIP();
        else
          StartSettling();
      } else if (TimedOut()) {
        m_iExitCode = 1;
        WriteReport("timeout");
        m_state = State::kDone;
      }
      break;
    case State::kFollowing:
      CheckFollowed();
      break;
    case State::kSettling:
      if (platform::GetTickCount32() - m_dwSettleStart >= kSettleMs) Finish();
      break;
    case State::kDone:
      break;
  }
  return m_state == State::kDone;
}

void CSelfTest::StartSettling() {
  if (!m_options.sFilter.empty()) SetDlgItemTextW(m_hWnd, IDC_FILTER, WideFromUtf8(m_options.sFilter).c_str());
  m_state = State::kSettling;
  m_dwSettleStart = platform::GetTickCount32();
}

void CSelfTest::Finish() {
  m_state = State::kDone;
  std::string sError;
  if (!m_options.sMainShot.empty() && !SaveWindowBitmap(m_hWnd, m_options.sMainShot, &sError))
    Fail("main window capture: " + sError);
  if (!m_options.sConfigShot.empty()) {
    // The dialog on the top row, captured once painted, then cancelled.
    SelectListRow(List(), 0);
    m_pWindow->SetConfigTurnHook([this](CConfigKestoDlg& dialog) { OnConfigTurn(dialog); });
    SendMessageW(GetDlgItem(m_hWnd, IDC_BASIC_CONFIG), BM_CLICK, 0, 0);
    m_pWindow->SetConfigTurnHook({});
    if (!m_bDialogSeen) Fail("the configuration dialog did not open");
  }
  if (!m_options.sMoreShots.empty()) CaptureMore();
  WriteReport(m_iExitCode == 0 ? "ok" : "failed");
}

void CSelfTest::StartSetIP() {
  HWND hList = List();
  if (m_options.bShareIP && (ListRowCount(hList) < 2 || !ParseAddress(CellText(hList, 1, 2), &m_options.dwSetIP))) {
    Fail("--share-ip: no second row to share an address with");
    WriteReport("failed");
    m_state = State::kDone;
    return;
  }
  SelectListRow(hList, 0);
  m_sEditedMAC = CellText(hList, 0, 1);
  bool bSent = false;
  m_pWindow->SetConfigTurnHook([this, &bSent](CConfigKestoDlg& dialog) {
    // A shared address is sent on purpose: the check's question is answered "send anyway".
    dialog.SetAsk([this](HWND, const std::string& sText) {
      m_sNotes += "asked\t" + sText + "\n";
      return m_options.bShareIP;
    });
    SendMessageA(dialog.GetItem(IDC_IPADDRESS), IPM_SETADDRESS, 0, static_cast<LPARAM>(m_options.dwSetIP));
    SendMessageA(dialog.GetItem(IDOK), BM_CLICK, 0, 0);
    bSent = dialog.IsConfirmed();
  });
  SendMessageW(GetDlgItem(m_hWnd, IDC_BASIC_CONFIG), BM_CLICK, 0, 0);
  m_pWindow->SetConfigTurnHook({});
  if (!bSent) {
    Fail("--set-ip: the configuration dialog was not confirmed");
    WriteReport("failed");
    m_state = State::kDone;
    return;
  }
  m_state = State::kFollowing;
}

void CSelfTest::CheckFollowed() {
  const std::string sWanted = CKestoInfo::FormatAddress(m_options.dwSetIP);
  HWND hList = List();
  const int nRows = ListRowCount(hList);
  for (int iRow = 0; iRow < nRows; ++iRow) {
    if (CellText(hList, iRow, 1) == m_sEditedMAC && CellText(hList, iRow, 2) == sWanted) {
      m_sNotes += "set-ip\t" + m_sEditedMAC + "\t" + sWanted + "\n";
      StartSettling();
      return;
    }
  }
  if (TimedOut()) {
    Fail("--set-ip: the row of " + m_sEditedMAC + " never showed " + sWanted);
    WriteReport("timeout");
    m_state = State::kDone;
  }
}

void CSelfTest::OnConfigTurn(CConfigKestoDlg& dialog) {
  const uint32_t dwNow = platform::GetTickCount32();
  if (!m_bDialogSeen) {
    m_bDialogSeen = true;
    m_dwDialogStart = dwNow;
    return;
  }
  if (dwNow - m_dwDialogStart < kSettleMs) return;
  std::string sError;
  if (!SaveWindowBitmap(dialog.GetHwnd(), m_options.sConfigShot, &sError)) Fail("dialog capture: " + sError);
  m_sNotes += "config-caption\t" + Caption(dialog.GetHwnd()) + "\n";
  SendMessageA(dialog.GetHwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void CSelfTest::CaptureDialog(const char* pszCaption, const std::string& sName,
                              const std::function<void(HWND)>& fnPrepare, const std::function<void()>& fnOpen) {
  DialogCapture capture{pszCaption, m_options.sMoreShots + "\\" + sName, &fnPrepare};
  capture.dwStart = platform::GetTickCount32();
  g_pCapture = &capture;
  SetTimer(nullptr, 0, 50, &OnCaptureTick);
  fnOpen();
  g_pCapture = nullptr;
  if (!capture.sProblem.empty()) Fail(std::string(pszCaption) + ": " + capture.sProblem);
}

void CSelfTest::CaptureMore() {
  SetDlgItemTextW(m_hWnd, IDC_FILTER, L"");
  HWND hList = List();
  const int nRows = ListRowCount(hList);
  // Every row selected, as Ctrl+A in the list does.
  ListView_SetItemState(hList, -1, LVIS_SELECTED, LVIS_SELECTED);
  SetFocus(hList);
  const uint32_t dwPaint = platform::GetTickCount32();
  while (platform::GetTickCount32() - dwPaint < kSettleMs) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    m_pWindow->PollDevices();
    Sleep(20);
  }
  std::string sError;
  if (!SaveWindowBitmap(m_hWnd, m_options.sMoreShots + "\\win32-main-multi.bmp", &sError)) Fail("multi-selection: " + sError);

  const std::string sFormCaption = "Kesto Configuration: " + std::to_string(nRows) + " devices";
  CaptureDialog(sFormCaption.c_str(), "win32-multi-form.bmp", [](HWND hForm) {
    for (char c : std::string("10.77.0.50")) PostMessageA(GetDlgItem(hForm, IDC_MULTI_FIRST_IP), WM_CHAR, c, 1);
  }, [this] { SendMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_BASIC_CONFIG, BN_CLICKED), 0); });

  // A plan renaming the top two devices, as an edited `kesto list --csv` would.
  const std::string sPlan = m_options.sMoreShots + "\\plan.csv";
  if (FILE* pFile = std::fopen(sPlan.c_str(), "wb")) {
    std::fprintf(pFile, "mac,name\n%s,Boiler room\n%s,Pump house\n", CellText(hList, 0, 1).c_str(),
                 CellText(hList, std::min(1, nRows - 1), 1).c_str());
    std::fclose(pFile);
  }
  CaptureDialog("Apply plan", "win32-plan-preview.bmp", [](HWND) {}, [&] { m_pWindow->ApplyPlanFrom(WideFromUtf8(sPlan)); });

  // The undo of the --share-ip change, on its row.
  for (int iRow = 0; iRow < nRows; ++iRow) {
    if (CellText(hList, iRow, 1) != m_sEditedMAC) continue;
    SelectListRow(hList, iRow);
    CaptureDialog("Undo last change", "win32-undo-preview.bmp", [](HWND) {},
                  [this] { SendMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(IDM_ROW_UNDO, BN_CLICKED), 0); });
  }
}

void CSelfTest::Fail(const std::string& sWhy) {
  m_iExitCode = 1;
  m_sNotes += "problem\t" + sWhy + "\n";
}

bool CSelfTest::WriteReport(const std::string& sOutcome) {
  // Plain line ends, so scripts read the report the same on every system.
  std::unique_ptr<FILE, int (*)(FILE*)> pFile(std::fopen(m_options.sReport.c_str(), "wb"), &std::fclose);
  if (!pFile) {
    m_iExitCode = 1;
    return false;
  }
  std::fprintf(pFile.get(), "outcome\t%s\n", sOutcome.c_str());
  std::fprintf(pFile.get(), "caption\t%s\n", Caption(m_hWnd).c_str());
  HWND hList = List();
  std::string sTitle;
  int iWidth = 0;
  for (int i = 0; ListColumn(hList, i, &sTitle, &iWidth); ++i)
    std::fprintf(pFile.get(), "column\t%s\t%d\n", sTitle.c_str(), iWidth);
  const int nRows = ListRowCount(hList);
  for (int iRow = 0; iRow < nRows; ++iRow) {
    std::string sLine = "row";
    for (int iColumn = 0; iColumn < 5; ++iColumn) sLine += "\t" + CellText(hList, iRow, iColumn);
    std::fprintf(pFile.get(), "%s\n", sLine.c_str());
  }
  std::fprintf(pFile.get(), "status\t%s\n", Utf8FromWide(WindowTextOf(GetDlgItem(m_hWnd, IDC_STATUS))).c_str());
  std::fprintf(pFile.get(), "count\t%s\n", Utf8FromWide(WindowTextOf(GetDlgItem(m_hWnd, IDC_COUNT))).c_str());
  std::fputs(m_sNotes.c_str(), pFile.get());
  return true;
}
