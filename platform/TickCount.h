#ifndef KESTO_PLATFORM_TICKCOUNT_H
#define KESTO_PLATFORM_TICKCOUNT_H

#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start on a monotonic clock, wrapping at 2^32.
// Elapsed times are taken as (now - then) in uint32_t, which survives the wrap.
uint32_t GetTickCount32();

// Something that tells the time in ticks; the finder takes one so tests can drive a virtual clock.
class TickSource {
 public:
  virtual ~TickSource() = default;
  virtual uint32_t Now() = 0;
};

// The real monotonic clock.
TickSource& SystemTickSource();

}  // namespace platform

#endif
