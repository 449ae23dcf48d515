#include <cstdlib>

#include "platform/StateFolder.h"

namespace platform {

std::string StateFolder() {
  // Only an absolute XDG_STATE_HOME counts; a relative one would depend on where the program was started.
  const char* pszState = std::getenv("XDG_STATE_HOME");
  if (pszState != nullptr && pszState[0] == '/') return std::string(pszState) + "/kesto";
  const char* pszHome = std::getenv("HOME");
  if (pszHome != nullptr && pszHome[0] == '/') return std::string(pszHome) + "/.local/state/kesto";
  return {};
}

char PathSeparator() { return '/'; }

}  // namespace platform
