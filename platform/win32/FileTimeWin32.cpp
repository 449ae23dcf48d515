#include <windows.h>

#include "platform/FileTime.h"

namespace platform {

namespace {

SYSTEMTIME ToWin32(const SystemTime& st) {
  SYSTEMTIME w;
  w.wYear = st.wYear;
  w.wMonth = st.wMonth;
  w.wDayOfWeek = st.wDayOfWeek;
  w.wDay = st.wDay;
  w.wHour = st.wHour;
  w.wMinute = st.wMinute;
  w.wSecond = st.wSecond;
  w.wMilliseconds = st.wMilliseconds;
  return w;
}

}  // namespace

bool SystemTimeToFileTime(const SystemTime& st, uint64_t* pft) {
  if (st.wYear > 30827) return false;  // the documented limit, whatever the call accepts
  const SYSTEMTIME w = ToWin32(st);
  FILETIME ft;
  if (!::SystemTimeToFileTime(&w, &ft)) return false;
  *pft = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return true;
}

bool FileTimeToSystemTime(uint64_t ft, SystemTime* pst) {
  // Windows converts counts up to 2^63 - 1, into 30828; keep to the years a
  // SYSTEMTIME may hold, as the POSIX side does.
  if (ft > kLargestFileTime) return false;
  FILETIME w;
  w.dwLowDateTime = static_cast<DWORD>(ft & 0xFFFFFFFFu);
  w.dwHighDateTime = static_cast<DWORD>(ft >> 32);
  SYSTEMTIME st;
  if (!::FileTimeToSystemTime(&w, &st)) return false;
  pst->wYear = st.wYear;
  pst->wMonth = st.wMonth;
  pst->wDayOfWeek = st.wDayOfWeek;
  pst->wDay = st.wDay;
  pst->wHour = st.wHour;
  pst->wMinute = st.wMinute;
  pst->wSecond = st.wSecond;
  pst->wMilliseconds = st.wMilliseconds;
  return true;
}

}  // namespace platform
