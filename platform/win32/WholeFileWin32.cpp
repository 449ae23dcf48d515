#include <windows.h>

#include <cstdio>
#include <random>

#include "platform/WholeFile.h"

namespace platform {

namespace {

constexpr int kTemporaryTries = 16;
constexpr DWORD kChunkBytes = 65536;

std::string Reason(DWORD dwError) {
  char szText[512] = "";
  const DWORD dwLength = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, dwError,
                                        0, szText, sizeof szText, nullptr);
  std::string sText(szText, dwLength);
  while (!sText.empty() && (sText.back() == '\n' || sText.back() == '\r' || sText.back() == '.')) sText.pop_back();
  return sText.empty() ? "error " + std::to_string(dwError) : sText;
}

std::wstring Wide(const std::string& sText) {
  const int nLength = MultiByteToWideChar(CP_UTF8, 0, sText.data(), static_cast<int>(sText.size()), nullptr, 0);
  std::wstring sWide(static_cast<size_t>(nLength), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, sText.data(), static_cast<int>(sText.size()), sWide.data(), nLength);
  return sWide;
}

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
      *psReason = Reason(dwError);
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
  const DWORD dwAttributes = GetFileAttributesW(Wide(sPath).c_str());
  if (dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    *psReason = "it is a directory";
    return FileReadResult::kFailed;
  }
  HANDLE hFile = CreateFileW(Wide(sPath).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (hFile == INVALID_HANDLE_VALUE) {
    *psReason = Reason(GetLastError());
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
    sTemporary = Wide(sPath + szSuffix);
    // CREATE_NEW fails on any name already taken, a planted link included.
    hFile = CreateFileW(sTemporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    dwError = GetLastError();
    if (hFile == INVALID_HANDLE_VALUE && dwError != ERROR_FILE_EXISTS && dwError != ERROR_ALREADY_EXISTS) break;
  }
  if (hFile == INVALID_HANDLE_VALUE) {
    *psReason = Reason(dwError);
    return FileWriteResult::kFailed;
  }
  bool bWritten = true;
  while (bWritten && !bytes.empty()) {
    DWORD dwWritten = 0;
    const DWORD dwChunk = bytes.size() < kChunkBytes ? static_cast<DWORD>(bytes.size()) : kChunkBytes;
    bWritten = WriteFile(hFile, bytes.data(), dwChunk, &dwWritten, nullptr) != 0;
    if (bWritten) bytes.remove_prefix(dwWritten);
  }
  bWritten = bWritten && FlushFileBuffers(hFile) != 0;
  if (!bWritten) dwError = GetLastError();
  if (!CloseHandle(hFile) && bWritten) {
    bWritten = false;
    dwError = GetLastError();
  }
  FileWriteResult result = FileWriteResult::kFailed;
  if (bWritten) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails on a file made meanwhile.
    const DWORD dwFlags = MOVEFILE_WRITE_THROUGH | (bReplace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (MoveFileExW(sTemporary.c_str(), Wide(sPath).c_str(), dwFlags)) {
      result = FileWriteResult::kWritten;
    } else {
      dwError = GetLastError();
      result = (dwError == ERROR_ALREADY_EXISTS || dwError == ERROR_FILE_EXISTS) ? FileWriteResult::kExists
                                                                                : FileWriteResult::kFailed;
    }
  }
  if (result == FileWriteResult::kFailed) *psReason = Reason(dwError);
  if (result != FileWriteResult::kWritten) DeleteFileW(sTemporary.c_str());
  return result;
}

bool PathExists(const std::string& sPath) {
  return GetFileAttributesW(Wide(sPath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace platform
