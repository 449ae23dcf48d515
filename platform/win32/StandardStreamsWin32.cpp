#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "platform/StandardStreams.h"

namespace platform {

namespace {

DWORD g_dwSavedMode = 0;
bool g_bRaw = false;

}  // namespace

bool IsStandardInputTerminal() { return _isatty(_fileno(stdin)) != 0; }

void UseBinaryStandardStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}

long ReadStandardInput(void* pBuffer, size_t nSize) {
  DWORD dwRead = 0;
  if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), pBuffer, static_cast<DWORD>(nSize), &dwRead, nullptr))
    return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
  return static_cast<long>(dwRead);
}

bool WriteStandardOutput(const void* pData, size_t nSize) {
  const char* pBytes = static_cast<const char*>(pData);
  while (nSize > 0) {
    DWORD dwWritten = 0;
    if (!WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), pBytes, static_cast<DWORD>(nSize), &dwWritten, nullptr) ||
        dwWritten == 0)
      return false;
    pBytes += dwWritten;
    nSize -= dwWritten;
  }
  return true;
}

bool EnterRawTerminalInput() {
  if (g_bRaw) return true;
  HANDLE hInput = GetStdHandle(STD_INPUT_HANDLE);
  if (!GetConsoleMode(hInput, &g_dwSavedMode)) return false;
  DWORD dwRaw = g_dwSavedMode & ~(ENABLE_ECHO_INPUT | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT);
  if (!SetConsoleMode(hInput, dwRaw)) return false;
  g_bRaw = true;
  return true;
}

void LeaveRawTerminalInput() {
  if (!g_bRaw) return;
  SetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), g_dwSavedMode);
  g_bRaw = false;
}

}  // namespace platform
