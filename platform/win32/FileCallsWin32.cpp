#include "platform/win32/FileCallsWin32.h"

namespace platform {

namespace {

constexpr DWORD kChunkBytes = 65536;

}  // namespace

std::wstring WideFromUtf8(const std::string& sText) {
  if (sText.empty()) return {};
  const int nLength = MultiByteToWideChar(CP_UTF8, 0, sText.data(), static_cast<int>(sText.size()), nullptr, 0);
  std::wstring sWide(static_cast<size_t>(nLength), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, sText.data(), static_cast<int>(sText.size()), sWide.data(), nLength);
  return sWide;
}

std::string SystemReason(DWORD dwError) {
  char szText[512] = "";
  const DWORD dwLength = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, dwError,
                                        0, szText, sizeof szText, nullptr);
  std::string sText(szText, dwLength);
  while (!sText.empty() && (sText.back() == '\n' || sText.back() == '\r' || sText.back() == '.')) sText.pop_back();
  return sText.empty() ? "error " + std::to_string(dwError) : sText;
}

bool WriteAllToDisk(HANDLE hFile, std::string_view bytes, DWORD* pdwError) {
  while (!bytes.empty()) {
    DWORD dwWritten = 0;
    const DWORD dwChunk = bytes.size() < kChunkBytes ? static_cast<DWORD>(bytes.size()) : kChunkBytes;
    if (!WriteFile(hFile, bytes.data(), dwChunk, &dwWritten, nullptr)) {
      *pdwError = GetLastError();
      return false;
    }
    bytes.remove_prefix(dwWritten);
  }
  if (!FlushFileBuffers(hFile)) {
    *pdwError = GetLastError();
    return false;
  }
  return true;
}

}  // namespace platform
