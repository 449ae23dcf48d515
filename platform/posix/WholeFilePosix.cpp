#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "platform/WholeFile.h"
#include "platform/posix/FileCallsPosix.h"

namespace platform {

namespace {

// How often a read waiting for more looks at the stop flag.
constexpr int kStopCheckMs = 100;
constexpr int kTemporaryTries = 16;

// Why a file of this kind is not read as a text, or empty when it is read.
std::string RefusedKind(mode_t mode) {
  if (S_ISDIR(mode)) return "it is a directory";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a file";
  if (S_ISSOCK(mode)) return "it is a socket, not a file";
  return {};
}

FileReadResult ReadAll(int fd, size_t nMaxBytes, const volatile std::sig_atomic_t* pbStop, std::string* psText,
                       std::string* psReason) {
  std::string sText;
  char buffer[65536];
  for (;;) {
    if (pbStop != nullptr && *pbStop) return FileReadResult::kStopped;
    // Waiting in poll rather than read: a signal handler that restarts calls would
    // otherwise keep a read from a silent FIFO or terminal going for ever.
    pollfd waiting{fd, POLLIN, 0};
    const int iReady = ::poll(&waiting, 1, kStopCheckMs);
    if (iReady < 0 && errno != EINTR) {
      *psReason = ErrnoReason(errno);
      return FileReadResult::kFailed;
    }
    if (iReady <= 0) continue;
    const ssize_t nRead = ::read(fd, buffer, sizeof buffer);
    if (nRead < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      *psReason = ErrnoReason(errno);
      return FileReadResult::kFailed;
    }
    if (nRead == 0) break;
    sText.append(buffer, static_cast<size_t>(nRead));
    if (sText.size() > nMaxBytes) return FileReadResult::kTooLarge;
  }
  *psText = std::move(sText);
  return FileReadResult::kRead;
}

std::string DirectoryOf(const std::string& sPath) {
  const size_t nSlash = sPath.rfind('/');
  return nSlash == std::string::npos ? std::string() : sPath.substr(0, nSlash + 1);
}

std::string BaseOf(const std::string& sPath) {
  const size_t nSlash = sPath.rfind('/');
  return nSlash == std::string::npos ? sPath : sPath.substr(nSlash + 1);
}

// Moves the finished temporary to sPath; without bReplace never over an existing file.
FileWriteResult Publish(const std::string& sTemporary, const std::string& sPath, bool bReplace,
                        std::string* psReason) {
  if (bReplace) {
    if (::rename(sTemporary.c_str(), sPath.c_str()) == 0) return FileWriteResult::kWritten;
    *psReason = ErrnoReason(errno);
    return FileWriteResult::kFailed;
  }
  if (::renameat2(AT_FDCWD, sTemporary.c_str(), AT_FDCWD, sPath.c_str(), RENAME_NOREPLACE) == 0)
    return FileWriteResult::kWritten;
  if (errno == EEXIST) return FileWriteResult::kExists;
  if (errno != EINVAL && errno != ENOSYS) {
    *psReason = ErrnoReason(errno);
    return FileWriteResult::kFailed;
  }
  // A file system without that rename: a hard link fails just as surely on an existing name.
  if (::link(sTemporary.c_str(), sPath.c_str()) == 0) {
    ::unlink(sTemporary.c_str());
    return FileWriteResult::kWritten;
  }
  if (errno == EEXIST) return FileWriteResult::kExists;
  *psReason = ErrnoReason(errno);
  return FileWriteResult::kFailed;
}

}  // namespace

FileReadResult ReadWholeFile(const std::string& sPath, size_t nMaxBytes, const volatile std::sig_atomic_t* pbStop,
                             std::string* psText, std::string* psReason) {
  if (sPath.empty()) return ReadAll(STDIN_FILENO, nMaxBytes, pbStop, psText, psReason);
  // Not blocking in open: a FIFO nobody writes to yet is waited for in poll, where a signal ends the wait.
  const int fd = ::open(sPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    *psReason = ErrnoReason(errno);
    return FileReadResult::kFailed;
  }
  struct stat info {};
  FileReadResult result = FileReadResult::kFailed;
  if (::fstat(fd, &info) != 0) *psReason = ErrnoReason(errno);
  else if (const std::string sKind = RefusedKind(info.st_mode); !sKind.empty()) *psReason = sKind;
  else result = ReadAll(fd, nMaxBytes, pbStop, psText, psReason);
  ::close(fd);
  return result;
}

FileWriteResult WriteWholeFile(const std::string& sPath, std::string_view bytes, bool bReplace,
                               std::string* psReason) {
  if (!bReplace && PathExists(sPath)) return FileWriteResult::kExists;
  std::random_device random;
  std::string sTemporary;
  int fd = -1;
  for (int i = 0; fd < 0 && i < kTemporaryTries; ++i) {
    char szSuffix[16];
    std::snprintf(szSuffix, sizeof szSuffix, "%08x", static_cast<unsigned>(random()));
    sTemporary = DirectoryOf(sPath) + "." + BaseOf(sPath) + "." + szSuffix + ".tmp";
    // O_EXCL with O_CREAT never follows a link planted under that name, nor opens a file there.
    fd = ::open(sTemporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    *psReason = ErrnoReason(errno);
    return FileWriteResult::kFailed;
  }
  const bool bWritten = WriteAllToDisk(fd, bytes, psReason);
  const bool bClosed = ::close(fd) == 0;
  if (bWritten && !bClosed) *psReason = ErrnoReason(errno);
  const FileWriteResult result =
      bWritten && bClosed ? Publish(sTemporary, sPath, bReplace, psReason) : FileWriteResult::kFailed;
  if (result != FileWriteResult::kWritten) ::unlink(sTemporary.c_str());
  return result;
}

bool PathExists(const std::string& sPath) {
  struct stat info {};
  return ::lstat(sPath.c_str(), &info) == 0;
}

}  // namespace platform
