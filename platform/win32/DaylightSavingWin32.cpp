#include <windows.h>

#include "platform/DaylightSaving.h"

namespace platform {

uint32_t GetCurrentTimeZoneId() {
  TIME_ZONE_INFORMATION tzi;
  return static_cast<uint32_t>(::GetTimeZoneInformation(&tzi));
}

}  // namespace platform
