#ifndef KESTO_APP_WIN32_WIDETEXT_H
#define KESTO_APP_WIN32_WIDETEXT_H

#include <windows.h>

#include <string>

// The program's texts are UTF-8; the controls take UTF-16, whatever the ANSI code page.
inline std::wstring WideFromUtf8(const std::string& sText) {
  const int nChars = MultiByteToWideChar(CP_UTF8, 0, sText.c_str(), -1, nullptr, 0);
  if (nChars <= 0) return std::wstring();
  std::wstring sWide(static_cast<size_t>(nChars), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, sText.c_str(), -1, sWide.data(), nChars);
  sWide.resize(static_cast<size_t>(nChars) - 1);
  return sWide;
}

inline std::string Utf8FromWide(const std::wstring& sWide) {
  const int nBytes = WideCharToMultiByte(CP_UTF8, 0, sWide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (nBytes <= 0) return std::string();
  std::string sText(static_cast<size_t>(nBytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, sWide.c_str(), -1, sText.data(), nBytes, nullptr, nullptr);
  sText.resize(static_cast<size_t>(nBytes) - 1);
  return sText;
}

inline std::wstring WindowTextOf(HWND hWnd) {
  std::wstring sText(static_cast<size_t>(GetWindowTextLengthW(hWnd)) + 1, L'\0');
  sText.resize(static_cast<size_t>(GetWindowTextW(hWnd, sText.data(), static_cast<int>(sText.size()))));
  return sText;
}

#endif
