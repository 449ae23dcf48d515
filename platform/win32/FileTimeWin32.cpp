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

bool IsLeapYear(unsigned uYear) { return (uYear % 4 == 0 && uYear % 100 != 0) || uYear % 400 == 0; }

// The checks the contract names, made here: Wine, for one, takes 29 February of any year.
bool FieldsInRange(const SystemTime& st) {
  static const uint16_t kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (st.wYear < 1601 || st.wYear > 30827) return false;
  if (st.wMonth < 1 || st.wMonth > 12) return false;
  const unsigned uDays = kDaysInMonth[st.wMonth - 1] + (st.wMonth == 2 && IsLeapYear(st.wYear) ? 1 : 0);
  if (st.wDay < 1 || st.wDay > uDays) return false;
  return st.wHour <= 23 && st.wMinute <= 59 && st.wSecond <= 59 && st.wMilliseconds <= 999;
}

}  // namespace

bool SystemTimeToFileTime(const SystemTime& st, uint64_t* pft) {
  if (!FieldsInRange(st)) return false;
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
