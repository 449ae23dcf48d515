#ifndef KESTO_PLATFORM_SYSTEMTIME_H
#define KESTO_PLATFORM_SYSTEMTIME_H

#include <cstdint>

namespace platform {

// Calendar fields in the layout of the Windows SYSTEMTIME: month 1-12,
// day of week 0 = Sunday, milliseconds 0-999.
struct SystemTime {
  uint16_t wYear = 0;
  uint16_t wMonth = 0;
  uint16_t wDayOfWeek = 0;
  uint16_t wDay = 0;
  uint16_t wHour = 0;
  uint16_t wMinute = 0;
  uint16_t wSecond = 0;
  uint16_t wMilliseconds = 0;

  bool operator==(const SystemTime&) const = default;
};

}  // namespace platform

#endif
