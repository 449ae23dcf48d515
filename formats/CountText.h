#ifndef KESTO_FORMATS_COUNTTEXT_H
#define KESTO_FORMATS_COUNTTEXT_H

#include <cstddef>
#include <string>

// "1 device", "0 devices", "2 devices": a count with its noun, singular for one.
std::string CountText(size_t nCount, const char* pszOne, const char* pszMany);
inline std::string DeviceCount(size_t nCount) { return CountText(nCount, "device", "devices"); }

#endif
