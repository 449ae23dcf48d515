#include <windows.h>

#include "platform/SleepMs.h"

namespace platform {

void SleepMs(uint32_t dwMilliseconds) { Sleep(dwMilliseconds); }

}  // namespace platform
