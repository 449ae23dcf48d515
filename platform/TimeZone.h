#ifndef KESTO_PLATFORM_TIMEZONE_H
#define KESTO_PLATFORM_TIMEZONE_H

#include <cstdint>

#include "platform/DaylightSaving.h"
#include "platform/SystemTime.h"

namespace platform {

// The time-zone record in the layout of the Windows TIME_ZONE_INFORMATION.
// Biases are minutes with UTC = local time + bias (+ standard or daylight bias).
// A transition date with year 0 is a yearly rule: month, day of week (0 = Sunday),
// occurrence of that weekday in the day field (1-4, 5 = last) and the local time of
// the change. Month 0 in both dates means the zone keeps no daylight time.
struct TimeZoneInformation {
  int32_t lBias = 0;
  char16_t szStandardName[32] = {};
  SystemTime stStandardDate;
  int32_t lStandardBias = 0;
  char16_t szDaylightName[32] = {};
  SystemTime stDaylightDate;
  int32_t lDaylightBias = 0;
};

// The zone's query and apply, behind an interface so the time-zone service can be
// driven by a fake that refuses or records.
class TimeZoneAccess {
 public:
  virtual ~TimeZoneAccess() = default;
  // Fills *pInfo with the zone in effect; returns one of the kTimeZoneId values.
  virtual uint32_t Query(TimeZoneInformation* pInfo) = 0;
  // Makes the record the zone in effect; false when refused or not representable.
  virtual bool Apply(const TimeZoneInformation& info) = 0;
};

// The system's zone. On Windows the machine's zone (changing it needs the right to);
// on POSIX the zone of this process only: the query reads the TZ variable (or the
// system default) through the tz database, and apply sets TZ for this process.
TimeZoneAccess& SystemTimeZone();

}  // namespace platform

#endif
