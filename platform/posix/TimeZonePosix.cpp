#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include <date/tz.h>

#include "platform/TimeZone.h"

namespace platform {

namespace {

using std::chrono::minutes;
using std::chrono::seconds;
using date::sys_seconds;

// The TZ text this process last applied and the record it came from: a POSIX rule
// string cannot be looked up in the tz database, so its query answers from here.
struct AppliedZone {
  bool bSet = false;
  std::string sTz;
  TimeZoneInformation info;
};

AppliedZone& LastApplied() {
  static AppliedZone applied;
  return applied;
}

void CopyName(const std::string& sName, char16_t (&szName)[32]) {
  for (char16_t& c : szName) c = 0;
  for (size_t i = 0; i < sName.size() && i < 31; ++i) szName[i] = static_cast<unsigned char>(sName[i]);
}

int32_t MinutesOf(seconds offset) { return static_cast<int32_t>(std::chrono::duration_cast<minutes>(offset).count()); }

// A transition instant as a yearly rule, in the local time that was in effect before it.
SystemTime RuleDate(sys_seconds utc, seconds offsetBefore) {
  sys_seconds local = utc + offsetBefore;
  date::sys_days day = date::floor<date::days>(local);
  date::year_month_day ymd{day};
  date::hh_mm_ss<seconds> time{local - day};
  unsigned uDay = static_cast<unsigned>(ymd.day());
  unsigned uLast = static_cast<unsigned>((ymd.year() / ymd.month() / date::last).day());
  SystemTime st;
  st.wMonth = static_cast<uint16_t>(static_cast<unsigned>(ymd.month()));
  st.wDayOfWeek = static_cast<uint16_t>(date::weekday{day}.c_encoding());
  // A weekday with no further one in its month is taken as "the last", the form such rules take.
  st.wDay = static_cast<uint16_t>(uDay + 7 > uLast ? 5 : (uDay - 1) / 7 + 1);
  st.wHour = static_cast<uint16_t>(time.hours().count());
  st.wMinute = static_cast<uint16_t>(time.minutes().count());
  st.wSecond = static_cast<uint16_t>(time.seconds().count());
  return st;
}

// Reads the zone's periods over the current year: the lesser offset is standard time,
// the greater daylight time, and the changes between them become the two yearly rules.
uint32_t DescribeZone(const date::time_zone& zone, sys_seconds now, TimeZoneInformation* pInfo) {
  date::year year = date::year_month_day{date::floor<date::days>(now)}.year();
  sys_seconds begin = date::sys_days{year / 1 / 1};
  sys_seconds end = date::sys_days{(year + date::years{1}) / 1 / 1};
  std::vector<date::sys_info> periods;
  for (sys_seconds t = begin; t < end && periods.size() < 16; t = periods.back().end)
    periods.push_back(zone.get_info(t));

  date::sys_info current = zone.get_info(now);
  seconds stdOffset = current.offset;
  seconds dstOffset = current.offset;
  bool bDaylight = false;
  for (const date::sys_info& period : periods) bDaylight = bDaylight || period.save != minutes{0};
  if (bDaylight) {
    for (const date::sys_info& period : periods) {
      if (period.offset < stdOffset) stdOffset = period.offset;
      if (period.offset > dstOffset) dstOffset = period.offset;
    }
  }

  TimeZoneInformation info;
  std::string sStdName = current.abbrev;
  std::string sDstName = current.abbrev;
  bool bStart = false;
  bool bEnd = false;
  for (size_t i = 1; bDaylight && i < periods.size(); ++i) {
    const date::sys_info& before = periods[i - 1];
    const date::sys_info& after = periods[i];
    if (before.offset == stdOffset && after.offset == dstOffset) {
      info.stDaylightDate = RuleDate(after.begin, stdOffset);
      sStdName = before.abbrev;
      sDstName = after.abbrev;
      bStart = true;
    } else if (before.offset == dstOffset && after.offset == stdOffset) {
      info.stStandardDate = RuleDate(after.begin, dstOffset);
      sDstName = before.abbrev;
      sStdName = after.abbrev;
      bEnd = true;
    }
  }
  // Without both changes this year (a zone that gave daylight time up) the year has no rule.
  if (!bStart || !bEnd || stdOffset == dstOffset) {
    info = TimeZoneInformation{};
    stdOffset = dstOffset = current.offset;
    sStdName = sDstName = current.abbrev;
    bDaylight = false;
  }
  info.lBias = -MinutesOf(stdOffset);
  info.lDaylightBias = -(MinutesOf(dstOffset) - MinutesOf(stdOffset));
  CopyName(sStdName, info.szStandardName);
  CopyName(sDstName, info.szDaylightName);
  *pInfo = info;
  if (!bDaylight) return kTimeZoneIdUnknown;
  return current.offset == dstOffset ? kTimeZoneIdDaylight : kTimeZoneIdStandard;
}

// The zone the C library uses for this process: TZ when set (":" prefix and the
// zoneinfo directory allowed), otherwise the system's default. Throws when the
// database does not know the zone.
const date::time_zone* ProcessZone(const char* pszTz) {
  if (pszTz == nullptr) {
    // The C library takes a machine without /etc/localtime to be on UTC; a file the
    // database cannot name is a failure rather than a guess.
    if (::access("/etc/localtime", F_OK) != 0) return date::locate_zone("Etc/UTC");
    return date::current_zone();
  }
  std::string sName = pszTz;
  if (!sName.empty() && sName[0] == ':') sName.erase(0, 1);
  if (sName.empty()) return date::locate_zone("Etc/UTC");
  const std::string sDirectory = "/usr/share/zoneinfo/";
  if (sName.compare(0, sDirectory.size(), sDirectory) == 0) sName.erase(0, sDirectory.size());
  return date::locate_zone(sName);
}

bool IsYearlyRule(const SystemTime& st) {
  return st.wYear == 0 && st.wMonth >= 1 && st.wMonth <= 12 && st.wDayOfWeek <= 6 && st.wDay >= 1 && st.wDay <= 5 &&
         st.wHour <= 23 && st.wMinute <= 59 && st.wSecond <= 59;
}

// A zone name in the quoted form, which allows digits and signs; POSIX wants at least three characters.
std::string NameText(const char16_t (&szName)[32], const char* pszFallback) {
  std::string sName;
  for (char16_t c : szName) {
    if (c == 0) break;
    bool bAllowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '-';
    if (bAllowed) sName += static_cast<char>(c);
  }
  if (sName.size() < 3) sName = pszFallback;
  return "<" + sName + ">";
}

// POSIX counts the offset in hours west of Greenwich, the sign of the bias.
std::string OffsetText(int64_t llMinutesWest) {
  std::string sText = llMinutesWest < 0 ? "-" : "";
  int64_t llMinutes = llMinutesWest < 0 ? -llMinutesWest : llMinutesWest;
  sText += std::to_string(llMinutes / 60);
  if (llMinutes % 60 != 0) {
    char szMinutes[8];
    std::snprintf(szMinutes, sizeof szMinutes, ":%02d", static_cast<int>(llMinutes % 60));
    sText += szMinutes;
  }
  return sText;
}

std::string RuleText(const SystemTime& st) {
  char szRule[40];
  std::snprintf(szRule, sizeof szRule, "M%u.%u.%u/%u:%02u:%02u", unsigned{st.wMonth}, unsigned{st.wDay},
                unsigned{st.wDayOfWeek}, unsigned{st.wHour}, unsigned{st.wMinute}, unsigned{st.wSecond});
  return szRule;
}

class ProcessTimeZone : public TimeZoneAccess {
 public:
  uint32_t Query(TimeZoneInformation* pInfo) override {
    const char* pszTz = ::getenv("TZ");
    const AppliedZone& applied = LastApplied();
    if (pszTz != nullptr && applied.bSet && applied.sTz == pszTz) {
      *pInfo = applied.info;
      if (applied.info.stDaylightDate.wMonth == 0) return kTimeZoneIdUnknown;
      return GetCurrentTimeZoneId();
    }
    try {
      const date::time_zone* pZone = ProcessZone(pszTz);
      return DescribeZone(*pZone, date::floor<seconds>(std::chrono::system_clock::now()), pInfo);
    } catch (const std::exception&) {
      // Not a zone of the database (for instance a rule string set by someone else).
      return kTimeZoneIdInvalid;
    }
  }

  bool Apply(const TimeZoneInformation& info) override {
    bool bDaylight = info.stDaylightDate.wMonth != 0 || info.stStandardDate.wMonth != 0;
    int64_t llStandard = int64_t{info.lBias} + info.lStandardBias;
    int64_t llDaylight = int64_t{info.lBias} + info.lDaylightBias;
    constexpr int64_t kMaxMinutes = 24 * 60;
    if (llStandard < -kMaxMinutes || llStandard > kMaxMinutes) return false;
    if (bDaylight) {
      if (llDaylight < -kMaxMinutes || llDaylight > kMaxMinutes) return false;
      // A rule for one year only has no form in TZ, which repeats yearly.
      if (!IsYearlyRule(info.stDaylightDate) || !IsYearlyRule(info.stStandardDate)) return false;
    }
    std::string sTz = NameText(info.szStandardName, "STD") + OffsetText(llStandard);
    if (bDaylight) {
      sTz += NameText(info.szDaylightName, "DST") + OffsetText(llDaylight) + "," + RuleText(info.stDaylightDate) +
             "," + RuleText(info.stStandardDate);
    }
    if (::setenv("TZ", sTz.c_str(), 1) != 0) return false;
    ::tzset();
    AppliedZone& applied = LastApplied();
    applied.bSet = true;
    applied.sTz = sTz;
    applied.info = info;
    return true;
  }
};

}  // namespace

TimeZoneAccess& SystemTimeZone() {
  static ProcessTimeZone zone;
  return zone;
}

}  // namespace platform
