#include <windows.h>

#include <algorithm>

#include "platform/LockedAppend.h"
#include "platform/SleepMs.h"
#include "platform/win32/FileCallsWin32.h"

namespace platform {

namespace {

std::string ErrorText(const std::string& sWhat, DWORD dwError = ::GetLastError()) {
  return sWhat + ": " + SystemReason(dwError);
}

class Handle {
 public:
  explicit Handle(HANDLE h) : m_h(h) {}
  ~Handle() {
    if (m_h != INVALID_HANDLE_VALUE) ::CloseHandle(m_h);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE Get() const { return m_h; }

 private:
  HANDLE m_h;
};

// Creates each missing folder on the way to the file.
bool MakeParents(const std::string& sPath, std::string* psError) {
  for (size_t nSep = sPath.find_first_of("\\/", 3); nSep != std::string::npos;
       nSep = sPath.find_first_of("\\/", nSep + 1)) {
    const std::string sFolder = sPath.substr(0, nSep);
    if (!::CreateDirectoryW(WideFromUtf8(sFolder).c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
      *psError = ErrorText(sFolder);
      return false;
    }
  }
  return true;
}

}  // namespace

bool AppendLocked(const std::string& sPath, std::string_view bytes, uint64_t qwRotateAt, uint32_t dwLockWaitMs,
                  std::string* psError) {
  std::string sError;
  if (psError == nullptr) psError = &sError;
  if (!MakeParents(sPath, psError)) return false;
  // The lock lives in its own file, which is never renamed, so rotating the log
  // cannot leave a waiting writer holding the lock of a file no longer in use.
  const std::string sLock = sPath + ".lock";
  Handle lock(::CreateFileW(WideFromUtf8(sLock).c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (lock.Get() == INVALID_HANDLE_VALUE) {
    *psError = ErrorText(sLock);
    return false;
  }
  OVERLAPPED whole{};
  uint32_t dwWaited = 0;
  while (!::LockFileEx(lock.Get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
    if (dwWaited >= dwLockWaitMs) {
      *psError = sLock + ": held by another program for " + std::to_string(dwWaited) + " ms";
      return false;
    }
    SleepMs(5);
    dwWaited += 5;
  }
  const std::wstring sWidePath = WideFromUtf8(sPath);
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (::GetFileAttributesExW(sWidePath.c_str(), GetFileExInfoStandard, &info)) {
    const uint64_t qwSize = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (qwSize > 0 && qwSize + bytes.size() > qwRotateAt &&
        !::MoveFileExW(sWidePath.c_str(), WideFromUtf8(sPath + ".1").c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      *psError = ErrorText(sPath + ".1");
      ::UnlockFileEx(lock.Get(), 0, 1, 0, &whole);
      return false;
    }
  }
  bool bWritten = false;
  {
    Handle file(::CreateFileW(sWidePath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    // On the disk before the caller sends what the line records: a crash right after the send leaves the line.
    DWORD dwError = ::GetLastError();
    bWritten = file.Get() != INVALID_HANDLE_VALUE && WriteAllToDisk(file.Get(), bytes, &dwError);
    if (!bWritten) *psError = ErrorText(sPath, dwError);
  }
  ::UnlockFileEx(lock.Get(), 0, 1, 0, &whole);
  return bWritten;
}

bool ReadFileTail(const std::string& sPath, size_t nMaxBytes, std::string* psBytes) {
  Handle file(::CreateFileW(WideFromUtf8(sPath).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.Get() == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.Get(), &size)) return false;
  const uint64_t qwSize = static_cast<uint64_t>(size.QuadPart);
  if (qwSize > nMaxBytes) {
    LARGE_INTEGER start{};
    start.QuadPart = static_cast<LONGLONG>(qwSize - nMaxBytes);
    if (!::SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN)) return false;
  }
  psBytes->clear();
  char buffer[65536];
  while (psBytes->size() < nMaxBytes) {
    DWORD nRead = 0;
    const DWORD nWant = static_cast<DWORD>(std::min(sizeof buffer, nMaxBytes - psBytes->size()));
    if (!::ReadFile(file.Get(), buffer, nWant, &nRead, nullptr)) return false;
    if (nRead == 0) break;
    psBytes->append(buffer, nRead);
  }
  return true;
}

}  // namespace platform
