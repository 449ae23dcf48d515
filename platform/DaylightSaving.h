#ifndef KESTO_PLATFORM_DAYLIGHTSAVING_H
#define KESTO_PLATFORM_DAYLIGHTSAVING_H

#include <cstdint>

namespace platform {

// The zone ids GetTimeZoneInformation returns.
constexpr uint32_t kTimeZoneIdUnknown = 0;  // the zone keeps no daylight-saving time
constexpr uint32_t kTimeZoneIdStandard = 1;
constexpr uint32_t kTimeZoneIdDaylight = 2;
constexpr uint32_t kTimeZoneIdInvalid = 0xFFFFFFFFu;

// Whether the system's time zone is in daylight-saving time right now, as one of
// the ids above.
uint32_t GetCurrentTimeZoneId();

}  // namespace platform

#endif
