#include <windows.h>

#include "platform/LocalTime.h"

namespace platform {

SystemTime GetLocalTime() {
  SYSTEMTIME w;
  ::GetLocalTime(&w);
  SystemTime st;
  st.wYear = w.wYear;
  st.wMonth = w.wMonth;
  st.wDayOfWeek = w.wDayOfWeek;
  st.wDay = w.wDay;
  st.wHour = w.wHour;
  st.wMinute = w.wMinute;
  st.wSecond = w.wSecond;
  st.wMilliseconds = w.wMilliseconds;
  return st;
}

}  // namespace platform
