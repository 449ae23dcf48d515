#ifndef KESTO_COMMON_ZNADDRESSTEXT_H
#define KESTO_COMMON_ZNADDRESSTEXT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// True when the text looks like a dotted IPv4 address: three dots, each with a digit
// right before it, and a digit right after the third. Nothing else is checked.
bool IsAddressText(std::string_view sText);

// Reads "a.b.c.d" (and with piPort ":port") after the first occurrence of pszMarker
// (from the start when the marker is empty or null). Each number keeps its low 8 bits;
// the port keeps its full value. The dots, the colon and a carriage return or line
// feed that ended the last number are overwritten with blanks in the caller's text,
// and those blanks stay even when a later step fails. The text ends at its first NUL
// or after nTextSize characters, whichever comes first; nothing beyond is read or
// written. Outputs are written only on success, and only those given.
bool ParseAddressText(char* pszText, size_t nTextSize, const char* pszMarker, uint8_t* pb1, uint8_t* pb2,
                      uint8_t* pb3, uint8_t* pb4, int32_t* piPort);
bool ParseAddressText(std::string& sText, const char* pszMarker, uint8_t* pb1, uint8_t* pb2, uint8_t* pb3,
                      uint8_t* pb4, int32_t* piPort);

#endif
