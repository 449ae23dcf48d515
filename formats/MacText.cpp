#include "formats/MacText.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool ParseMAC(std::string_view text, uint8_t byMAC[6]) {
  if (text.size() != 17) return false;
  const char cSeparator = text[2];
  if (cSeparator != '-' && cSeparator != ':') return false;
  uint8_t byParsed[6];
  for (int i = 0; i < 6; ++i) {
    const size_t iAt = static_cast<size_t>(i) * 3;
    if (i > 0 && text[iAt - 1] != cSeparator) return false;
    const int iHigh = HexDigit(text[iAt]);
    const int iLow = HexDigit(text[iAt + 1]);
    if (iHigh < 0 || iLow < 0) return false;
    byParsed[i] = static_cast<uint8_t>(iHigh << 4 | iLow);
  }
  for (int i = 0; i < 6; ++i) byMAC[i] = byParsed[i];
  return true;
}
