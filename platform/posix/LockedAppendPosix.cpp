#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "platform/LockedAppend.h"
#include "platform/SleepMs.h"
#include "platform/posix/FileCallsPosix.h"

namespace platform {

namespace {

std::string ErrnoText(const std::string& sWhat) { return sWhat + ": " + ErrnoReason(errno); }

// Creates each missing folder on the way to the file.
bool MakeParents(const std::string& sPath, std::string* psError) {
  for (size_t nSlash = sPath.find('/', 1); nSlash != std::string::npos; nSlash = sPath.find('/', nSlash + 1)) {
    const std::string sFolder = sPath.substr(0, nSlash);
    if (::mkdir(sFolder.c_str(), 0700) != 0 && errno != EEXIST) {
      *psError = ErrnoText(sFolder);
      return false;
    }
  }
  return true;
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : m_fd(fd) {}
  ~FileDescriptor() {
    if (m_fd >= 0) ::close(m_fd);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return m_fd; }

 private:
  int m_fd;
};

}  // namespace

bool AppendLocked(const std::string& sPath, std::string_view bytes, uint64_t qwRotateAt, uint32_t dwLockWaitMs,
                  std::string* psError) {
  std::string sError;
  if (psError == nullptr) psError = &sError;
  if (!MakeParents(sPath, psError)) return false;
  // The lock lives in its own file, which is never renamed, so rotating the log
  // cannot leave a waiting writer holding the lock of a file no longer in use.
  const std::string sLock = sPath + ".lock";
  FileDescriptor lock(::open(sLock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (lock.Get() < 0) {
    *psError = ErrnoText(sLock);
    return false;
  }
  uint32_t dwWaited = 0;
  while (::flock(lock.Get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) {
      *psError = ErrnoText(sLock);
      return false;
    }
    if (dwWaited >= dwLockWaitMs) {
      *psError = sLock + ": held by another program for " + std::to_string(dwWaited) + " ms";
      return false;
    }
    SleepMs(5);
    dwWaited += 5;
  }
  struct stat st {};
  bool bNewFile = ::stat(sPath.c_str(), &st) != 0;
  if (!bNewFile && static_cast<uint64_t>(st.st_size) + bytes.size() > qwRotateAt && st.st_size > 0) {
    const std::string sOld = sPath + ".1";
    if (std::rename(sPath.c_str(), sOld.c_str()) != 0) {
      *psError = ErrnoText(sOld);
      return false;
    }
    bNewFile = true;
  }
  FileDescriptor file(::open(sPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600));
  if (file.Get() < 0) {
    *psError = ErrnoText(sPath);
    return false;
  }
  // On the disk before the caller sends what the line records: a crash right after
  // the send leaves the line, and a file just begun keeps its name.
  std::string sReason;
  if (!WriteAllToDisk(file.Get(), bytes, &sReason) || (bNewFile && !SyncFolderOf(sPath, &sReason))) {
    *psError = sPath + ": " + sReason;
    return false;
  }
  return true;  // closing the lock's descriptor releases it
}

bool ReadFileTail(const std::string& sPath, size_t nMaxBytes, std::string* psBytes) {
  FileDescriptor file(::open(sPath.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) return false;
  struct stat st {};
  if (::fstat(file.Get(), &st) != 0) return false;
  const uint64_t qwSize = static_cast<uint64_t>(st.st_size);
  if (qwSize > nMaxBytes && ::lseek(file.Get(), static_cast<off_t>(qwSize - nMaxBytes), SEEK_SET) < 0) return false;
  psBytes->clear();
  char buffer[65536];
  while (psBytes->size() < nMaxBytes) {
    const ssize_t nRead = ::read(file.Get(), buffer, std::min(sizeof buffer, nMaxBytes - psBytes->size()));
    if (nRead < 0 && errno == EINTR) continue;
    if (nRead < 0) return false;
    if (nRead == 0) break;
    psBytes->append(buffer, static_cast<size_t>(nRead));
  }
  return true;
}

}  // namespace platform
