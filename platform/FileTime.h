#ifndef KESTO_PLATFORM_FILETIME_H
#define KESTO_PLATFORM_FILETIME_H

#include <cstdint>

#include "platform/SystemTime.h"

namespace platform {

// The Windows FILETIME count: 100-nanosecond units since 00:00 on 1 January 1601.
// Both directions keep to the years a SYSTEMTIME holds, so a count made from
// fields always converts back and fields made from a count always convert.

// The last count: 30827-12-31 23:59:59.999 and its last 9,999 units.
constexpr uint64_t kLargestFileTime = 9'223'149'887'999'999'999ull;

// Fields to count. False when a field is out of range: year 1601-30827, month
// 1-12, day within its month by the Gregorian rule, hour 0-23, minute and second
// 0-59, milliseconds 0-999. The day of week is ignored.
bool SystemTimeToFileTime(const SystemTime& st, uint64_t* pft);

// Count to fields, with the day of week (0 = Sunday) rewritten to match the date.
// Units below a millisecond are dropped. False for a count past the end of 30827
// (kLargestFileTime), whose year a SYSTEMTIME cannot hold.
bool FileTimeToSystemTime(uint64_t ft, SystemTime* pst);

}  // namespace platform

#endif
