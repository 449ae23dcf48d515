#include <windows.h>

#include <cstdio>
#include <random>

#include "platform/WholeFile.h"
#include "platform/win32/FileCallsWin32.h"

namespace platform {

namespace {

constexpr int kTemporaryTries = 16;
constexpr DWORD kChunkBytes = 65536;


FileReadResult ReadAll(HANDLE hFile, size_t nMaxBytes, const volatile std::sig_atomic_t* pbStop, std::string* psText,
                       std::string* psReason) {
  std::string sText;
  char buffer[kChunkBytes];
  for (;;) {
    if (pbStop != nullptr && *pbStop) return FileReadResult::kStopped;
    DWORD dwRead = 0;
    if (!ReadFile(hFile, buffer, kChunkBytes, &dwRead, nullptr)) {
      const DWORD dwError = GetLastError();
      if (dwError == ERROR_BROKEN_PIPE || dwError == ERROR_HANDLE_EOF) break;
      if (dwError == ERROR_OPERATION_ABORTED && pbStop != nullptr && *pbStop) return FileReadResult::kStopped;
      *psReason = SystemReason(dwError);
      return FileReadResult::kFailed;
    }
    if (dwRead == 0) break;
    sText.append(buffer, dwRead);
    if (sText.size() > nMaxBytes) return FileReadResult::kTooLarge;
  }
  *psText = std::move(sText);
  return FileReadResult::kRead;
}

}  // namespace

FileReadResult ReadWholeFile(const std::string& sPath, size_t nMaxBytes, const volatile std::sig_atomic_t* pbStop,
                             std::string* psText, std::string* psReason) {
  if (sPath.empty()) return ReadAll(GetStdHandle(STD_INPUT_HANDLE), nMaxBytes, pbStop, psText, psReason);
  const DWORD dwAttributes = GetFileAttributesW(WideFromUtf8(sPath).c_str());
  if (dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    *psReason = "it is a directory";
    return FileReadResult::kFailed;
  }
  HANDLE hFile = CreateFileW(WideFromUtf8(sPath).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (hFile == INVALID_HANDLE_VALUE) {
    *psReason = SystemReason(GetLastError());
    return FileReadResult::kFailed;
  }
  FileReadResult result = FileReadResult::kFailed;
  const DWORD dwType = GetFileType(hFile);
  if (dwType == FILE_TYPE_CHAR) *psReason = "it is a device, not a file";
  else result = ReadAll(hFile, nMaxBytes, pbStop, psText, psReason);
  CloseHandle(hFile);
  return result;
}

FileWriteResult WriteWholeFile(const std::string& sPath, std::string_view bytes, bool bReplace,
                               std::string* psReason) {
  if (!bReplace && PathExists(sPath)) return FileWriteResult::kExists;
  std::random_device random;
  std::wstring sTemporary;
  HANDLE hFile = INVALID_HANDLE_VALUE;
  DWORD dwError = ERROR_SUCCESS;
  for (int i = 0; hFile == INVALID_HANDLE_VALUE && i < kTemporaryTries; ++i) {
    char szSuffix[16];
    std::snprintf(szSuffix, sizeof szSuffix, ".%08x.tmp", static_cast<unsigned>(random()));
    sTemporary = WideFromUtf8(sPath + szSuffix);
    // CREATE_NEW fails on any name already taken, a planted link included.
    hFile = CreateFileW(sTemporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    dwError = GetLastError();
    if (hFile == INVALID_HANDLE_VALUE && dwError != ERROR_FILE_EXISTS && dwError != ERROR_ALREADY_EXISTS) break;
  }
  if (hFile == INVALID_HANDLE_VALUE) {
    *psReason = SystemReason(dwError);
    return FileWriteResult::kFailed;
  }
  bool bWritten = WriteAllToDisk(hFile, bytes, &dwError);
  if (!CloseHandle(hFile) && bWritten) {
    bWritten = false;
    dwError = GetLastError();
  }
  FileWriteResult result = FileWriteResult::kFailed;
  if (bWritten) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails on a file made meanwhile.
    const DWORD dwFlags = MOVEFILE_WRITE_THROUGH | (bReplace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (MoveFileExW(sTemporary.c_str(), WideFromUtf8(sPath).c_str(), dwFlags)) {
      result = FileWriteResult::kWritten;
    } else {
      dwError = GetLastError();
      result = (dwError == ERROR_ALREADY_EXISTS || dwError == ERROR_FILE_EXISTS) ? FileWriteResult::kExists
                                                                                : FileWriteResult::kFailed;
    }
  }
  if (result == FileWriteResult::kFailed) *psReason = SystemReason(dwError);
  if (result != FileWriteResult::kWritten) DeleteFileW(sTemporary.c_str());
  return result;
}

bool PathExists(const std::string& sPath) {
  return GetFileAttributesW(WideFromUtf8(sPath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace platform
