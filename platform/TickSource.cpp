#include "platform/TickCount.h"

namespace platform {

namespace {
class SystemTicks : public TickSource {
 public:
  uint32_t Now() override { return GetTickCount32(); }
};
}  // namespace

TickSource& SystemTickSource() {
  static SystemTicks ticks;
  return ticks;
}

}  // namespace platform
