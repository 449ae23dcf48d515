#include "platform/LocalTime.h"

#include <gtest/gtest.h>
#include <time.h>

#include <cstdint>
#include <string>

#include "platform/DaylightSaving.h"
#include "platform/FileTime.h"
#include "support/ScopedTz.h"

namespace {

constexpr int64_t kUnitsPerSecond = 10'000'000;
constexpr int64_t kEpochCount = 116'444'736'000'000'000;  // 1970-01-01 as a count

// Seconds the local clock runs ahead of the system clock, read once each.
int64_t LocalOffsetSeconds() {
  const platform::SystemTime st = platform::GetLocalTime();
  const int64_t llUtc = static_cast<int64_t>(time(nullptr));
  uint64_t ft = 0;
  EXPECT_TRUE(platform::SystemTimeToFileTime(st, &ft));
  platform::SystemTime normalized;
  EXPECT_TRUE(platform::FileTimeToSystemTime(ft, &normalized));
  EXPECT_EQ(normalized.wDayOfWeek, st.wDayOfWeek);
  return (static_cast<int64_t>(ft) - kEpochCount) / kUnitsPerSecond - llUtc;
}

TEST(LocalTimeTest, FollowsTheZoneInTz) {
  const struct {
    const char* pszZone;
    int64_t llOffset;
  } cases[] = {{"UTC0", 0}, {"XXX-5", 5 * 3'600}, {"YYY+3:30", -(3 * 3'600 + 1'800)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pszZone);
    ScopedTz tz(c.pszZone);
    // The two readings may straddle a second boundary.
    EXPECT_NEAR(LocalOffsetSeconds(), c.llOffset, 1);
  }
}

// A zone whose daylight period lies three to six months ahead, so now is standard time.
std::string ZoneWithDaylightLater() {
  const time_t now = time(nullptr);
  tm utc{};
  gmtime_r(&now, &utc);
  const int iStart = (utc.tm_mon + 3) % 12 + 1;
  const int iEnd = (utc.tm_mon + 6) % 12 + 1;
  return "AAA3BBB,M" + std::to_string(iStart) + ".1.0,M" + std::to_string(iEnd) + ".1.0";
}

TEST(DaylightSavingTest, ReportsTheZoneIdOfNow) {
  const std::string sLater = ZoneWithDaylightLater();
  const struct {
    const char* pszZone;
    uint32_t dwId;
  } cases[] = {
      {"UTC0", platform::kTimeZoneIdUnknown},
      {"XXX-5", platform::kTimeZoneIdUnknown},
      {"AAA3BBB,J1/0,J365/25", platform::kTimeZoneIdDaylight},  // daylight time all year
      {sLater.c_str(), platform::kTimeZoneIdStandard},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pszZone);
    ScopedTz tz(c.pszZone);
    EXPECT_EQ(platform::GetCurrentTimeZoneId(), c.dwId);
  }
}

}  // namespace
