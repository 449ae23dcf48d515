#include <unistd.h>

#include "platform/ProgramPath.h"

namespace platform {

std::string OwnProgramPath() {
  char szPath[4096];
  const ssize_t n = ::readlink("/proc/self/exe", szPath, sizeof szPath);
  if (n <= 0 || static_cast<size_t>(n) >= sizeof szPath) return {};
  return std::string(szPath, static_cast<size_t>(n));
}

}  // namespace platform
