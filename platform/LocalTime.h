#ifndef KESTO_PLATFORM_LOCALTIME_H
#define KESTO_PLATFORM_LOCALTIME_H

#include "platform/SystemTime.h"

namespace platform {

// The current wall-clock time in the system's time zone, to the millisecond,
// with the day of week filled in (the equivalent of GetLocalTime).
SystemTime GetLocalTime();

}  // namespace platform

#endif
