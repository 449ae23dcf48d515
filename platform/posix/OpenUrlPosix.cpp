#include <errno.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "platform/OpenUrl.h"

namespace platform {

bool OpenUrl(const std::string& sUrl, std::string* psError) {
  const pid_t pid = ::fork();
  if (pid < 0) {
    if (psError) *psError = std::string("fork: ") + std::strerror(errno);
    return false;
  }
  if (pid == 0) {
    ::execlp("xdg-open", "xdg-open", sUrl.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int iStatus = 0;
  while (::waitpid(pid, &iStatus, 0) < 0) {
    if (errno != EINTR) {
      if (psError) *psError = std::string("waitpid: ") + std::strerror(errno);
      return false;
    }
  }
  if (WIFEXITED(iStatus) && WEXITSTATUS(iStatus) == 0) return true;
  if (psError) {
    if (WIFEXITED(iStatus) && WEXITSTATUS(iStatus) == 127)
      *psError = "xdg-open could not be started";
    else
      *psError = "xdg-open failed";
  }
  return false;
}

}  // namespace platform
