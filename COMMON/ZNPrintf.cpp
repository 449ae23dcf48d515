#include "COMMON/ZNPrintf.h"

#include <cstdarg>
#include <cstdio>

std::string ZNPrintf(const char* pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  va_list argsAgain;
  va_copy(argsAgain, args);
  const int iSize = std::vsnprintf(nullptr, 0, pszFormat, args);
  va_end(args);

  std::string sText;
  if (iSize > 0) {
    sText.resize(static_cast<size_t>(iSize));
    // The string's own terminator slot takes vsnprintf's zero byte.
    std::vsnprintf(sText.data(), sText.size() + 1, pszFormat, argsAgain);
  }
  va_end(argsAgain);
  return sText;
}
