#include <chrono>

#include "platform/FileTime.h"

namespace platform {

namespace {

constexpr uint64_t kUnitsPerMs = 10'000;
constexpr uint64_t kUnitsPerSecond = 1'000 * kUnitsPerMs;
constexpr uint64_t kUnitsPerDay = 86'400 * kUnitsPerSecond;

// Days from 1601-01-01 to the Unix epoch, the origin of std::chrono::sys_days.
constexpr int64_t DaysFrom1601ToEpoch() {
  using namespace std::chrono;
  return -sys_days{year{1601} / January / 1}.time_since_epoch().count();
}
static_assert(DaysFrom1601ToEpoch() == 134'774);

// The last unit of 30827, the last year a SYSTEMTIME may hold.
constexpr uint64_t LastUnitOf30827() {
  using namespace std::chrono;
  const int64_t iDays = sys_days{year{30828} / January / 1}.time_since_epoch().count() + DaysFrom1601ToEpoch();
  return static_cast<uint64_t>(iDays) * kUnitsPerDay - 1;
}
static_assert(LastUnitOf30827() == kLargestFileTime);

}  // namespace

bool SystemTimeToFileTime(const SystemTime& st, uint64_t* pft) {
  using namespace std::chrono;
  if (st.wYear < 1601 || st.wYear > 30827) return false;
  if (st.wHour > 23 || st.wMinute > 59 || st.wSecond > 59 || st.wMilliseconds > 999) return false;
  const year_month_day ymd{year{st.wYear}, month{st.wMonth}, day{st.wDay}};
  if (!ymd.ok()) return false;

  const int64_t iDays = sys_days{ymd}.time_since_epoch().count() + DaysFrom1601ToEpoch();
  const uint64_t ullMs = ((static_cast<uint64_t>(st.wHour) * 60 + st.wMinute) * 60 + st.wSecond) * 1'000 +
                         st.wMilliseconds;
  *pft = static_cast<uint64_t>(iDays) * kUnitsPerDay + ullMs * kUnitsPerMs;
  return true;
}

bool FileTimeToSystemTime(uint64_t ft, SystemTime* pst) {
  using namespace std::chrono;
  if (ft > kLargestFileTime) return false;
  const sys_days date{days{static_cast<int64_t>(ft / kUnitsPerDay) - DaysFrom1601ToEpoch()}};
  const year_month_day ymd{date};
  uint64_t ullMs = (ft % kUnitsPerDay) / kUnitsPerMs;

  SystemTime st;
  st.wYear = static_cast<uint16_t>(static_cast<int>(ymd.year()));
  st.wMonth = static_cast<uint16_t>(static_cast<unsigned>(ymd.month()));
  st.wDay = static_cast<uint16_t>(static_cast<unsigned>(ymd.day()));
  st.wDayOfWeek = static_cast<uint16_t>(weekday{date}.c_encoding());
  st.wMilliseconds = static_cast<uint16_t>(ullMs % 1'000);
  ullMs /= 1'000;
  st.wSecond = static_cast<uint16_t>(ullMs % 60);
  ullMs /= 60;
  st.wMinute = static_cast<uint16_t>(ullMs % 60);
  st.wHour = static_cast<uint16_t>(ullMs / 60);
  *pst = st;
  return true;
}

}  // namespace platform
