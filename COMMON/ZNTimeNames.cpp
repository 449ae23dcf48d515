// The free functions and constant texts of the date-and-time module.
#include "COMMON/ZNPrintf.h"
#include "COMMON/ZNTime.h"

const char szInvalidDateTime[] = "Invalid DateTime";
const char szInvalidDateTimeSpan[] = "Invalid DateTimeSpan";

namespace {

// names[0] belongs to iFirst; anything outside the table gives pszOther.
template <size_t N>
std::string Lookup(const char* const (&names)[N], int32_t iIndex, int32_t iFirst, const char* pszOther) {
  if (iIndex < iFirst || iIndex - iFirst >= static_cast<int32_t>(N)) return pszOther;
  return names[iIndex - iFirst];
}

constexpr const char* kDayNames[] = {"Monday", "Tuesday", "Wednesday", "Thursday",
                                     "Friday", "Saturday", "Sunday"};
constexpr const char* kDayShortNames[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr const char* kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};
constexpr const char* kMonthShortNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The clock texts of both lengths: hour and minute by truncating division, with no
// wrap past a day.
std::string ClockText(int32_t iMinutes, const char* pszFormat, const char* pszAM, const char* pszPM) {
  int iHour = iMinutes / 60;
  const int iMinute = iMinutes - iHour * 60;
  const char* pszSuffix = pszAM;
  if (iHour >= 12) {
    iHour -= 12;
    pszSuffix = pszPM;
  }
  if (iHour == 0) iHour = 12;
  return ZNPrintf(pszFormat, iHour, iMinute, pszSuffix);
}

}  // namespace

std::string DayOfWeekName(int32_t iDay) { return Lookup(kDayNames, iDay, 0, "Unknown"); }
std::string DayOfWeekShortName(int32_t iDay) { return Lookup(kDayShortNames, iDay, 0, "???"); }
std::string MonthName(int32_t iMonth) { return Lookup(kMonthNames, iMonth, 1, "Unknown"); }
std::string MonthShortName(int32_t iMonth) { return Lookup(kMonthShortNames, iMonth, 1, "???"); }

std::string MinutesToClockText(int32_t iMinutes) { return ClockText(iMinutes, "%d:%02d %s", " AM", " PM"); }
std::string MinutesToShortClockText(int32_t iMinutes) { return ClockText(iMinutes, "%d:%02d%s", "a", "p"); }
