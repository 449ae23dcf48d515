#ifndef KESTO_PLATFORM_WIN32_FILECALLSWIN32_H
#define KESTO_PLATFORM_WIN32_FILECALLSWIN32_H

#include <windows.h>

#include <string>
#include <string_view>

// The file calls the Win32 file code shares: UTF-8 paths in the system's wide
// form, writing bytes so that they reach the disk before the caller goes on, and
// the system's words for a failure.
namespace platform {

std::wstring WideFromUtf8(const std::string& sText);

// The system's text for the error dwError, without its closing full stop.
std::string SystemReason(DWORD dwError);

// Writes all of bytes to hFile in chunks and flushes them to the disk; false with
// the error in *pdwError.
bool WriteAllToDisk(HANDLE hFile, std::string_view bytes, DWORD* pdwError);

}  // namespace platform

#endif
