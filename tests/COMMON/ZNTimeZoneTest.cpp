#include <gtest/gtest.h>

#include <cstdint>

#include "COMMON/ZNTime.h"
#include "COMMON/ZNTimeSpan.h"
#include "support/ScopedTz.h"

// The time value against the process's zone, which these cases set through TZ.
namespace {

CZNTime Make(uint16_t y, uint16_t mo, uint16_t d) {
  platform::SystemTime st;
  st.wYear = y;
  st.wMonth = mo;
  st.wDay = d;
  return CZNTime(st);
}

TEST(ZNTimeTest, NowIsTheLocalClock) {
  CZNTime utc = Make(2000, 1, 1);
  CZNTime east = Make(2000, 1, 1);
  {
    ScopedTz tz("UTC0");
    utc.SetToNow();
  }
  {
    ScopedTz tz("XXX-5");
    east.SetToNow();
  }
  const CZNTimeSpan span = east - utc;
  EXPECT_EQ(span.IsNegative(), 0);
  // Five hours apart, give or take the moment between the two readings.
  EXPECT_NEAR(static_cast<double>(span.GetSpan()), static_cast<double>(5 * ZN_HOUR), static_cast<double>(ZN_SECOND));
  // The clock fills in a matching day of week.
  CZNTime normalised = east;
  EXPECT_TRUE(normalised.SetDay(normalised.GetDay()));
  EXPECT_TRUE(normalised == east);
}

TEST(ZNTimeTest, DaylightSavingFollowsTheSystemZone) {
  const CZNTime t = Make(2000, 1, 1);
  {
    ScopedTz tz("AAA3BBB,J1/0,J365/25");  // daylight time all year
    EXPECT_TRUE(t.IsDaylightSavingTime());
  }
  {
    ScopedTz tz("UTC0");
    EXPECT_FALSE(t.IsDaylightSavingTime());
  }
}

}  // namespace
