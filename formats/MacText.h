#ifndef KESTO_FORMATS_MACTEXT_H
#define KESTO_FORMATS_MACTEXT_H

#include <cstdint>
#include <string_view>

// Reads six two-digit hex bytes joined by "-" or ":" (one separator kind
// throughout), either case. Anything else is refused and byMAC is left alone.
bool ParseMAC(std::string_view text, uint8_t byMAC[6]);

#endif
