#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>

#include "platform/DaylightSaving.h"
#include "platform/FileTime.h"
#include "platform/LocalTime.h"
#include "platform/TimeZone.h"

// The zone the system is set to, read and never changed: runs on every platform,
// including Windows, where the tests that set a zone of their own do not run.
namespace {

constexpr int64_t kUnitsPerSecond = 10'000'000;
constexpr int64_t kEpochCount = 116'444'736'000'000'000;  // 1970-01-01 as a count

TEST(SystemZoneTest, LocalClockRunsAtTheQueriedBias) {
  platform::TimeZoneInformation info;
  const uint32_t dwId = platform::SystemTimeZone().Query(&info);
  if (dwId == platform::kTimeZoneIdInvalid) GTEST_SKIP() << "the system's zone cannot be read here";
  EXPECT_EQ(platform::GetCurrentTimeZoneId(), dwId);

  const int64_t llBias = int64_t{info.lBias} + (dwId == platform::kTimeZoneIdDaylight ? info.lDaylightBias
                                                                                       : info.lStandardBias);
  const platform::SystemTime st = platform::GetLocalTime();
  const int64_t llUtc = static_cast<int64_t>(std::time(nullptr));
  uint64_t ft = 0;
  ASSERT_TRUE(platform::SystemTimeToFileTime(st, &ft));
  platform::SystemTime normalized;
  ASSERT_TRUE(platform::FileTimeToSystemTime(ft, &normalized));
  EXPECT_EQ(normalized.wDayOfWeek, st.wDayOfWeek) << "the local clock fills in the matching weekday";
  const int64_t llLocalAhead = (static_cast<int64_t>(ft) - kEpochCount) / kUnitsPerSecond - llUtc;
  // UTC = local + bias; the two readings may straddle a second boundary.
  EXPECT_NEAR(static_cast<double>(llLocalAhead), static_cast<double>(-llBias * 60), 1.0);
}

}  // namespace
