#ifndef KESTO_PLATFORM_FILETIME_H
#define KESTO_PLATFORM_FILETIME_H

#include <cstdint>

#include "platform/SystemTime.h"

namespace platform {

// The Windows FILETIME count: 100-nanosecond units since 00:00 on 1 January 1601.
// Both directions keep to the range the Windows calls accept, so a count made
// from fields always converts back.

// Fields to count. False when a field is out of range (year 1601-30827, month
// 1-12, day within its month by the Gregorian rule, hour 0-23, minute and second
// 0-59, milliseconds 0-999) or the instant lies past the largest count that
// FileTimeToSystemTime takes (30827-09-14 02:48:05.477). The day of week is ignored.
bool SystemTimeToFileTime(const SystemTime& st, uint64_t* pft);

// Count to fields, with the day of week (0 = Sunday) rewritten to match the date.
// Units below a millisecond are dropped. False for a count above INT64_MAX.
bool FileTimeToSystemTime(uint64_t ft, SystemTime* pst);

}  // namespace platform

#endif
