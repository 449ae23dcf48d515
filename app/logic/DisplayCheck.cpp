#include "app/logic/DisplayCheck.h"

#include <cstdlib>
#include <string>

#include "platform/DisplayProbe.h"

namespace {
// Long enough for a busy X server's reply, short enough not to look hung.
constexpr int kProbeTimeoutMs = 2000;
}  // namespace

bool ReportMissingDisplay(std::FILE* pOut) {
  const char* pszPlatform = std::getenv("QT_QPA_PLATFORM");
  if (pszPlatform != nullptr && *pszPlatform != '\0') return false;
  std::string sProblem;
  if (platform::FindDisplay(kProbeTimeoutMs, &sProblem)) return false;
  // scripts/run prints the same line.
  std::fprintf(pOut,
               "kesto-manager: no display (%s); without one, `kesto list`, `kesto watch` and `kesto serve` find and follow the "
               "devices from the command line\n",
               sProblem.c_str());
  return true;
}
