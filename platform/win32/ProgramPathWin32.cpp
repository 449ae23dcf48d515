#include <windows.h>

#include "platform/ProgramPath.h"

namespace platform {

std::string OwnProgramPath() {
  wchar_t szPath[32768];
  const DWORD n = GetModuleFileNameW(nullptr, szPath, sizeof szPath / sizeof szPath[0]);
  if (n == 0 || n >= sizeof szPath / sizeof szPath[0]) return {};
  const int nBytes = WideCharToMultiByte(CP_UTF8, 0, szPath, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
  std::string sPath(static_cast<size_t>(nBytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, szPath, static_cast<int>(n), sPath.data(), nBytes, nullptr, nullptr);
  return sPath;
}

}  // namespace platform
