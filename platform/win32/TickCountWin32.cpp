#include <windows.h>

#include "platform/TickCount.h"

namespace platform {

uint32_t GetTickCount32() { return static_cast<uint32_t>(GetTickCount()); }

}  // namespace platform
