#include "COMMON/ZNAddressText.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

char* FindChar(char* p, char* pEnd, char c) {
  char* pFound = std::find(p, pEnd, c);
  return pFound == pEnd ? nullptr : pFound;
}

char* FindLineEnd(char* p, char* pEnd) {
  return std::find_if(p, pEnd, [](char c) { return c == '\r' || c == '\n'; });
}

// A decimal number as atoi reads one (leading blanks, a sign, digits up to the first
// other character), but confined to [p, pEnd) and wrapping instead of overflowing.
int32_t ReadNumber(const char* p, const char* pEnd) {
  while (p < pEnd && IsBlank(*p)) ++p;
  bool bNegative = false;
  if (p < pEnd && (*p == '+' || *p == '-')) bNegative = *p++ == '-';
  uint32_t dwValue = 0;
  while (p < pEnd && IsDigit(*p)) dwValue = dwValue * 10u + static_cast<uint32_t>(*p++ - '0');
  if (bNegative) dwValue = 0u - dwValue;
  return static_cast<int32_t>(dwValue);
}

// Ends a number at pStop: overwrites the character there with a blank, unless it is the text's end.
void Blank(char* pStop, char* pEnd) {
  if (pStop != pEnd) *pStop = ' ';
}

}  // namespace

bool IsAddressText(std::string_view sText) {
  size_t nPos = 0;
  for (int i = 0; i < 3; ++i) {
    size_t nDot = sText.find('.', nPos);
    if (nDot == std::string_view::npos || nDot == 0 || !IsDigit(sText[nDot - 1])) return false;
    nPos = nDot + 1;
  }
  return nPos < sText.size() && IsDigit(sText[nPos]);
}

bool ParseAddressText(char* pszText, size_t nTextSize, const char* pszMarker, uint8_t* pb1, uint8_t* pb2,
                      uint8_t* pb3, uint8_t* pb4, int32_t* piPort) {
  if (pszText == nullptr) return false;
  char* pNul = static_cast<char*>(std::memchr(static_cast<void*>(pszText), '\0', nTextSize));
  char* pEnd = pNul != nullptr ? pNul : pszText + nTextSize;
  char* p = pszText;
  if (pszMarker != nullptr && *pszMarker != '\0') {
    const char* pMarkerEnd = pszMarker + std::strlen(pszMarker);
    char* pFound = std::search(p, pEnd, pszMarker, pMarkerEnd);
    if (pFound == pEnd) return false;
    p = pFound + (pMarkerEnd - pszMarker);
  }

  uint8_t byAddress[4];
  for (int i = 0; i < 3; ++i) {
    char* pDot = FindChar(p, pEnd, '.');
    if (pDot == nullptr) return false;
    byAddress[i] = static_cast<uint8_t>(ReadNumber(p, pDot) & 0xFF);
    *pDot = ' ';
    p = pDot + 1;
  }

  int32_t iPort = 0;
  if (piPort == nullptr) {
    char* pStop = FindLineEnd(p, pEnd);
    byAddress[3] = static_cast<uint8_t>(ReadNumber(p, pStop) & 0xFF);
    Blank(pStop, pEnd);
  } else {
    char* pColon = FindChar(p, pEnd, ':');
    if (pColon == nullptr) return false;
    byAddress[3] = static_cast<uint8_t>(ReadNumber(p, pColon) & 0xFF);
    *pColon = ' ';
    p = pColon + 1;
    char* pStop = FindLineEnd(p, pEnd);
    iPort = ReadNumber(p, pStop);
    Blank(pStop, pEnd);
  }

  if (pb1 != nullptr) *pb1 = byAddress[0];
  if (pb2 != nullptr) *pb2 = byAddress[1];
  if (pb3 != nullptr) *pb3 = byAddress[2];
  if (pb4 != nullptr) *pb4 = byAddress[3];
  if (piPort != nullptr) *piPort = iPort;
  return true;
}

bool ParseAddressText(std::string& sText, const char* pszMarker, uint8_t* pb1, uint8_t* pb2, uint8_t* pb3,
                      uint8_t* pb4, int32_t* piPort) {
  return ParseAddressText(sText.data(), sText.size(), pszMarker, pb1, pb2, pb3, pb4, piPort);
}
