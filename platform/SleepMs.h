#ifndef KESTO_PLATFORM_SLEEPMS_H
#define KESTO_PLATFORM_SLEEPMS_H

#include <cstdint>

namespace platform {

// Suspends the calling thread for about dwMilliseconds.
void SleepMs(uint32_t dwMilliseconds);

}  // namespace platform

#endif
