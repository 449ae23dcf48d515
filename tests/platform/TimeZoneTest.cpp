#include <gtest/gtest.h>

#include <cctype>
#include <ctime>
#include <ostream>
#include <string>

#include "platform/TimeZone.h"
#include "support/ScopedTz.h"

namespace {

using platform::SystemTime;
using platform::TimeZoneInformation;

std::string Narrow(const char16_t (&szName)[32]) {
  std::string sName;
  for (char16_t c : szName) {
    if (c == 0) break;
    sName += static_cast<char>(c);
  }
  return sName;
}

SystemTime Rule(uint16_t shMonth, uint16_t shDay, uint16_t shHour, uint16_t shMinute = 0) {
  SystemTime st;
  st.wMonth = shMonth;
  st.wDayOfWeek = 0;
  st.wDay = shDay;
  st.wHour = shHour;
  st.wMinute = shMinute;
  return st;
}

struct ZoneCase {
  const char* pszZone;
  int32_t lBias;
  int32_t lDaylightBias;
  SystemTime stDaylight;  // month 0: no daylight time
  SystemTime stStandard;
  const char* pszStandardName;
  const char* pszDaylightName;
};

void PrintTo(const ZoneCase& c, std::ostream* pOut) { *pOut << '"' << c.pszZone << '"'; }

class ZoneQueryTest : public testing::TestWithParam<ZoneCase> {};

std::string CaseName(const testing::TestParamInfo<ZoneCase>& info) {
  std::string sName = "Tz" + std::to_string(info.index) + "_";
  for (const char* p = info.param.pszZone; *p; ++p) sName += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  return sName;
}

TEST_P(ZoneQueryTest, DerivesBiasAndYearlyRulesFromTheTzDatabase) {
  const ZoneCase& zone = GetParam();
  ScopedTz scoped(zone.pszZone);
  TimeZoneInformation info;
  uint32_t dwId = platform::SystemTimeZone().Query(&info);
  EXPECT_EQ(info.lBias, zone.lBias);
  EXPECT_EQ(info.lStandardBias, 0);
  EXPECT_EQ(info.lDaylightBias, zone.lDaylightBias);
  EXPECT_EQ(info.stDaylightDate, zone.stDaylight);
  EXPECT_EQ(info.stStandardDate, zone.stStandard);
  EXPECT_EQ(Narrow(info.szStandardName), zone.pszStandardName);
  EXPECT_EQ(Narrow(info.szDaylightName), zone.pszDaylightName);
  if (zone.stDaylight.wMonth == 0) {
    EXPECT_EQ(dwId, platform::kTimeZoneIdUnknown);
  } else {
    EXPECT_TRUE(dwId == platform::kTimeZoneIdStandard || dwId == platform::kTimeZoneIdDaylight) << dwId;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Zones, ZoneQueryTest,
    testing::Values(
        // Southern hemisphere: daylight time from October to April.
        ZoneCase{"Australia/Sydney", -600, -60, Rule(10, 1, 2), Rule(4, 1, 3), "AEST", "AEDT"},
        // Half-hour offset with daylight time.
        ZoneCase{"Australia/Adelaide", -570, -60, Rule(10, 1, 2), Rule(4, 1, 3), "ACST", "ACDT"},
        ZoneCase{"America/New_York", 300, -60, Rule(3, 2, 2), Rule(11, 1, 2), "EST", "EDT"},
        // Last Sunday rules come out as occurrence 5.
        ZoneCase{"Europe/Berlin", -60, -60, Rule(3, 5, 2), Rule(10, 5, 3), "CET", "CEST"},
        ZoneCase{"Asia/Tokyo", -540, 0, SystemTime{}, SystemTime{}, "JST", "JST"},
        ZoneCase{"Asia/Kolkata", -330, 0, SystemTime{}, SystemTime{}, "IST", "IST"},
        ZoneCase{":Asia/Tokyo", -540, 0, SystemTime{}, SystemTime{}, "JST", "JST"},
        ZoneCase{"/usr/share/zoneinfo/Asia/Kolkata", -330, 0, SystemTime{}, SystemTime{}, "IST", "IST"},
        ZoneCase{"", 0, 0, SystemTime{}, SystemTime{}, "UTC", "UTC"}),
    CaseName);

TEST(TimeZoneTest, UnknownZoneNameFailsAndLeavesTheRecordAlone) {
  ScopedTz scoped("Nowhere/Atlantis");
  TimeZoneInformation info;
  info.lBias = 1234;
  EXPECT_EQ(platform::SystemTimeZone().Query(&info), platform::kTimeZoneIdInvalid);
  EXPECT_EQ(info.lBias, 1234);
}

// Local hour of a UTC instant under the process's zone.
int LocalHourOf(int iYear, int iMonth, int iDay, int iHourUtc, int* piDst = nullptr) {
  // Days since the epoch by the civil calendar, to avoid timegm.
  int y = iYear - (iMonth <= 2);
  int era = (y >= 0 ? y : y - 399) / 400;
  int yoe = y - era * 400;
  int doy = (153 * (iMonth + (iMonth > 2 ? -3 : 9)) + 2) / 5 + iDay - 1;
  int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  std::time_t t = static_cast<std::time_t>(era * 146097 + doe - 719468) * 86400 + iHourUtc * 3600;
  std::tm* pLocal = std::localtime(&t);
  if (piDst != nullptr) *piDst = pLocal->tm_isdst;
  return pLocal->tm_hour;
}

TEST(TimeZoneTest, ApplySetsTheRuleForThisProcessAndQueryGivesItBack) {
  ScopedTz scoped("UTC");
  TimeZoneInformation info;
  info.lBias = -330;  // UTC+5:30
  info.lDaylightBias = -60;
  info.stDaylightDate = Rule(3, 2, 2);
  info.stStandardDate = Rule(11, 1, 2);
  const char16_t szStd[] = u"KST";
  const char16_t szDst[] = u"KDT";
  for (int i = 0; i < 4; ++i) {
    info.szStandardName[i] = szStd[i];
    info.szDaylightName[i] = szDst[i];
  }
  ASSERT_TRUE(platform::SystemTimeZone().Apply(info));

  int iDst = -1;
  EXPECT_EQ(LocalHourOf(2026, 1, 15, 12, &iDst), 17);  // 12:00 UTC + 5:30 = 17:30
  EXPECT_EQ(iDst, 0);
  EXPECT_EQ(LocalHourOf(2026, 7, 1, 12, &iDst), 18);  // daylight time adds the hour
  EXPECT_EQ(iDst, 1);

  TimeZoneInformation back;
  uint32_t dwId = platform::SystemTimeZone().Query(&back);
  EXPECT_TRUE(dwId == platform::kTimeZoneIdStandard || dwId == platform::kTimeZoneIdDaylight);
  EXPECT_EQ(back.lBias, -330);
  EXPECT_EQ(back.stDaylightDate, info.stDaylightDate);
  EXPECT_EQ(back.stStandardDate, info.stStandardDate);
}

TEST(TimeZoneTest, ApplyWithoutDaylightRuleKeepsOneOffset) {
  ScopedTz scoped("UTC");
  TimeZoneInformation info;
  info.lBias = 180;  // UTC-3, names too short for a zone abbreviation
  ASSERT_TRUE(platform::SystemTimeZone().Apply(info));
  EXPECT_EQ(LocalHourOf(2026, 1, 15, 12), 9);
  EXPECT_EQ(LocalHourOf(2026, 7, 1, 12), 9);
  TimeZoneInformation back;
  EXPECT_EQ(platform::SystemTimeZone().Query(&back), platform::kTimeZoneIdUnknown);
  EXPECT_EQ(back.lBias, 180);
}

TEST(TimeZoneTest, ApplyRefusesWhatTzCannotHold) {
  ScopedTz scoped("UTC");
  TimeZoneInformation tooFar;
  tooFar.lBias = 25 * 60;
  TimeZoneInformation oneYear;
  oneYear.stDaylightDate = Rule(3, 2, 2);
  oneYear.stDaylightDate.wYear = 2026;
  oneYear.stStandardDate = Rule(11, 1, 2);
  TimeZoneInformation badOccurrence;
  badOccurrence.stDaylightDate = Rule(3, 6, 2);
  badOccurrence.stStandardDate = Rule(11, 1, 2);
  TimeZoneInformation halfRule;
  halfRule.stDaylightDate = Rule(3, 2, 2);
  for (const TimeZoneInformation* p : {&tooFar, &oneYear, &badOccurrence, &halfRule})
    EXPECT_FALSE(platform::SystemTimeZone().Apply(*p));
  EXPECT_STREQ(::getenv("TZ"), "UTC");
}

}  // namespace
