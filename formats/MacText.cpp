#include "formats/MacText.h"

#include "formats/HexText.h"

bool ParseMAC(std::string_view text, uint8_t byMAC[6]) {
  if (text.size() != 17) return false;
  const char cSeparator = text[2];
  if (cSeparator != '-' && cSeparator != ':') return false;
  uint8_t byParsed[6];
  for (int i = 0; i < 6; ++i) {
    const size_t iAt = static_cast<size_t>(i) * 3;
    if (i > 0 && text[iAt - 1] != cSeparator) return false;
    const int iHigh = HexDigitValue(text[iAt]);
    const int iLow = HexDigitValue(text[iAt + 1]);
    if (iHigh < 0 || iLow < 0) return false;
    byParsed[i] = static_cast<uint8_t>(iHigh << 4 | iLow);
  }
  for (int i = 0; i < 6; ++i) byMAC[i] = byParsed[i];
  return true;
}
