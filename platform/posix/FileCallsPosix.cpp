#include "platform/posix/FileCallsPosix.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

std::string ErrnoReason(int iError) { return std::strerror(iError); }

bool WriteAllToDisk(int fd, std::string_view bytes, std::string* psReason) {
  while (!bytes.empty()) {
    const ssize_t nWritten = ::write(fd, bytes.data(), bytes.size());
    if (nWritten < 0) {
      if (errno == EINTR) continue;
      *psReason = ErrnoReason(errno);
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(nWritten));
  }
  // EINVAL: a pipe or the like, which has no disk to reach.
  if (::fsync(fd) != 0 && errno != EINVAL) {
    *psReason = ErrnoReason(errno);
    return false;
  }
  return true;
}

bool SyncFolderOf(const std::string& sPath, std::string* psReason) {
  const size_t nSlash = sPath.rfind('/');
  const std::string sFolder = nSlash == std::string::npos ? "." : nSlash == 0 ? "/" : sPath.substr(0, nSlash);
  const int fd = ::open(sFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    *psReason = ErrnoReason(errno);
    return false;
  }
  const bool bSynced = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
  if (!bSynced) *psReason = ErrnoReason(errno);
  ::close(fd);
  return bSynced;
}

}  // namespace platform
