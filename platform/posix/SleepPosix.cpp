#include <errno.h>
#include <time.h>

#include "platform/SleepMs.h"

namespace platform {

void SleepMs(uint32_t dwMilliseconds) {
  timespec rest{static_cast<time_t>(dwMilliseconds / 1000), static_cast<long>(dwMilliseconds % 1000) * 1000000L};
  while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
  }
}

}  // namespace platform
