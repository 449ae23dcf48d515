#include <windows.h>

#include <algorithm>

#include "platform/ProgramRun.h"
#include "platform/TickCount.h"
#include "platform/win32/FileCallsWin32.h"

namespace platform {

namespace {

// One argument quoted as the C runtime splits a command line back.
std::wstring Quoted(const std::wstring& sArg) {
  if (!sArg.empty() && sArg.find_first_of(L" \t\"") == std::wstring::npos) return sArg;
  std::wstring sText = L"\"";
  size_t nSlashes = 0;
  for (wchar_t c : sArg) {
    if (c == L'\\') {
      ++nSlashes;
      continue;
    }
    sText.append(c == L'"' ? 2 * nSlashes + 1 : nSlashes, L'\\');
    nSlashes = 0;
    sText += c;
  }
  sText.append(2 * nSlashes, L'\\');
  return sText + L"\"";
}

// Takes what waits in the pipe without blocking; false once it is closed.
bool Drain(HANDLE hPipe, std::string* pText, size_t nMax, bool* pbCut) {
  for (;;) {
    DWORD dwWaiting = 0;
    if (!PeekNamedPipe(hPipe, nullptr, 0, nullptr, &dwWaiting, nullptr)) return false;
    if (dwWaiting == 0) return true;
    char buffer[4096];
    DWORD dwRead = 0;
    if (!ReadFile(hPipe, buffer, std::min<DWORD>(dwWaiting, sizeof buffer), &dwRead, nullptr)) return false;
    const size_t nRoom = nMax > pText->size() ? nMax - pText->size() : 0;
    if (dwRead > nRoom) *pbCut = true;
    pText->append(buffer, std::min<size_t>(dwRead, nRoom));
  }
}

}  // namespace

ProgramResult RunProgram(const std::vector<std::string>& argv, uint32_t dwTimeoutMs, size_t nMaxOutput) {
  ProgramResult result;
  if (argv.empty()) return result;
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE hOutRead = nullptr, hOutWrite = nullptr, hErrRead = nullptr, hErrWrite = nullptr;
  if (!CreatePipe(&hOutRead, &hOutWrite, &inherit, 0) || !CreatePipe(&hErrRead, &hErrWrite, &inherit, 0)) {
    result.sError = "no pipe";
    for (HANDLE h : {hOutRead, hOutWrite}) if (h) CloseHandle(h);
    return result;
  }
  SetHandleInformation(hOutRead, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(hErrRead, HANDLE_FLAG_INHERIT, 0);
  std::wstring sCommand;
  for (const std::string& sArg : argv) sCommand += (sCommand.empty() ? L"" : L" ") + Quoted(WideFromUtf8(sArg));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = hOutWrite;
  startup.hStdError = hErrWrite;
  PROCESS_INFORMATION process{};
  const BOOL bCreated = CreateProcessW(nullptr, sCommand.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                       nullptr, &startup, &process);
  CloseHandle(hOutWrite);
  CloseHandle(hErrWrite);
  if (!bCreated) {
    result.sError = "cannot start " + argv[0] + " (error " + std::to_string(GetLastError()) + ")";
    CloseHandle(hOutRead);
    CloseHandle(hErrRead);
    return result;
  }
  result.bStarted = true;
  const uint32_t dwStart = GetTickCount32();
  for (;;) {
    Drain(hOutRead, &result.sOutput, nMaxOutput, &result.bCut);
    Drain(hErrRead, &result.sErrors, nMaxOutput, &result.bCut);
    if (WaitForSingleObject(process.hProcess, 10) == WAIT_OBJECT_0) break;
    if (GetTickCount32() - dwStart >= dwTimeoutMs) {
      result.bTimedOut = true;
      TerminateProcess(process.hProcess, 1);
      WaitForSingleObject(process.hProcess, 1000);
      break;
    }
  }
  Drain(hOutRead, &result.sOutput, nMaxOutput, &result.bCut);
  Drain(hErrRead, &result.sErrors, nMaxOutput, &result.bCut);
  DWORD dwExit = 0;
  if (!result.bTimedOut && GetExitCodeProcess(process.hProcess, &dwExit)) result.iExitCode = static_cast<int>(dwExit);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CloseHandle(hOutRead);
  CloseHandle(hErrRead);
  return result;
}

HostFirewall GetHostFirewall() { return HostFirewall::kWindows; }

}  // namespace platform
