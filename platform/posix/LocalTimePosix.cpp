#include <time.h>

#include "platform/LocalTime.h"

namespace platform {

SystemTime GetLocalTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  // localtime_r need not look at TZ again; tzset picks up a changed zone, as
  // GetLocalTime would.
  tzset();
  tm local{};
  localtime_r(&now.tv_sec, &local);

  SystemTime st;
  st.wYear = static_cast<uint16_t>(local.tm_year + 1900);
  st.wMonth = static_cast<uint16_t>(local.tm_mon + 1);
  st.wDayOfWeek = static_cast<uint16_t>(local.tm_wday);
  st.wDay = static_cast<uint16_t>(local.tm_mday);
  st.wHour = static_cast<uint16_t>(local.tm_hour);
  st.wMinute = static_cast<uint16_t>(local.tm_min);
  // A leap second (tm_sec 60) is shown as the last second of its minute, as Windows does.
  st.wSecond = static_cast<uint16_t>(local.tm_sec > 59 ? 59 : local.tm_sec);
  st.wMilliseconds = static_cast<uint16_t>(now.tv_nsec / 1'000'000);
  return st;
}

}  // namespace platform
