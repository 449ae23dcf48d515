#include <windows.h>
#include <shellapi.h>

#include "platform/OpenUrl.h"

namespace platform {

bool OpenUrl(const std::string& sUrl, std::string* psError) {
  // ShellExecuteA reports success with a value above 32.
  const INT_PTR iResult = reinterpret_cast<INT_PTR>(
      ShellExecuteA(nullptr, "open", sUrl.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (iResult > 32) return true;
  if (psError) *psError = "ShellExecute failed with code " + std::to_string(static_cast<long long>(iResult));
  return false;
}

}  // namespace platform
