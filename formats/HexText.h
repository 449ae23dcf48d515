#ifndef KESTO_FORMATS_HEXTEXT_H
#define KESTO_FORMATS_HEXTEXT_H

#include <cstddef>
#include <cstdint>
#include <string>

// The value of one hex digit of either case, or -1 for any other character.
int HexDigitValue(char c);

// Two lower-case digits a byte, no separator: "0a1b".
std::string HexBytes(const uint8_t* pData, size_t nLength);

// nDigits upper-case digits, zero-filled on the left: HexNumber(0x1F, 4) is "001F".
std::string HexNumber(uint64_t value, int nDigits);

#endif
