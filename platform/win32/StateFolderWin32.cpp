#include <windows.h>

#include "platform/StateFolder.h"

namespace platform {

std::string StateFolder() {
  wchar_t szFolder[MAX_PATH];
  const DWORD nLength = ::GetEnvironmentVariableW(L"LOCALAPPDATA", szFolder, MAX_PATH);
  if (nLength == 0 || nLength >= MAX_PATH) return {};
  const int nBytes = ::WideCharToMultiByte(CP_UTF8, 0, szFolder, static_cast<int>(nLength), nullptr, 0, nullptr, nullptr);
  std::string sFolder(static_cast<size_t>(nBytes), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, szFolder, static_cast<int>(nLength), sFolder.data(), nBytes, nullptr, nullptr);
  return sFolder + "\\Kesto";
}

char PathSeparator() { return '\\'; }

}  // namespace platform
