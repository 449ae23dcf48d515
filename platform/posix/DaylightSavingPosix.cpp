#include <time.h>

#include "platform/DaylightSaving.h"

namespace platform {

namespace {

// -1 when the conversion fails, else tm_isdst (0 or 1).
int IsDstAt(time_t t) {
  tm local{};
  if (localtime_r(&t, &local) == nullptr) return -1;
  return local.tm_isdst > 0 ? 1 : 0;
}

}  // namespace

uint32_t GetCurrentTimeZoneId() {
  tzset();  // the zone as it is set now, not as it was first read
  const time_t now = time(nullptr);
  const int iNow = IsDstAt(now);
  if (iNow < 0) return kTimeZoneIdInvalid;
  if (iNow > 0) return kTimeZoneIdDaylight;
  // Standard time now: the zone counts as keeping daylight-saving time when some
  // moment of the surrounding year is in it (sampled every two weeks).
  constexpr time_t kStep = 14 * 86'400;
  for (int i = -13; i <= 13; ++i) {
    if (i != 0 && IsDstAt(now + i * kStep) > 0) return kTimeZoneIdStandard;
  }
  return kTimeZoneIdUnknown;
}

}  // namespace platform
