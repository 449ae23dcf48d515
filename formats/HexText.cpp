#include "formats/HexText.h"

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string HexBytes(const uint8_t* pData, size_t nLength) {
  static const char kDigits[] = "0123456789abcdef";
  std::string sText;
  sText.reserve(nLength * 2);
  for (size_t i = 0; i < nLength; ++i) {
    sText += kDigits[pData[i] >> 4];
    sText += kDigits[pData[i] & 15];
  }
  return sText;
}

std::string HexNumber(uint64_t value, int nDigits) {
  std::string sText(static_cast<size_t>(nDigits), '0');
  for (int i = nDigits - 1; i >= 0 && value != 0; --i, value >>= 4)
    sText[static_cast<size_t>(i)] = "0123456789ABCDEF"[value & 0xF];
  return sText;
}
