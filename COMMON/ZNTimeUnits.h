#ifndef KESTO_COMMON_ZNTIMEUNITS_H
#define KESTO_COMMON_ZNTIMEUNITS_H

#include <cstdint>

// Lengths in 100-nanosecond units, the unit of the platform's 64-bit time count,
// shared by CZNTime and CZNTimeSpan.
constexpr int64_t ZN_MILLISECOND = 10'000;
constexpr int64_t ZN_SECOND = 1'000 * ZN_MILLISECOND;
constexpr int64_t ZN_MINUTE = 60 * ZN_SECOND;
constexpr int64_t ZN_HOUR = 60 * ZN_MINUTE;
constexpr int64_t ZN_DAY = 24 * ZN_HOUR;
constexpr int64_t ZN_WEEK = 7 * ZN_DAY;

#endif
