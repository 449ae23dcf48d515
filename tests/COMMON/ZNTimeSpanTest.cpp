#include "COMMON/ZNTimeSpan.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

constexpr int32_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t kInt64Max = std::numeric_limits<int64_t>::max();

TEST(ZNTimeSpanTest, UnitConstants) {
  EXPECT_EQ(ZN_MILLISECOND, 10'000);
  EXPECT_EQ(ZN_SECOND, 10'000'000);
  EXPECT_EQ(ZN_MINUTE, 600'000'000);
  EXPECT_EQ(ZN_HOUR, 36'000'000'000);
  EXPECT_EQ(ZN_DAY, 864'000'000'000);
  EXPECT_EQ(ZN_WEEK, 6'048'000'000'000);
}

struct SpanCase {
  int32_t iDays, iHours, iMinutes, iSeconds, iMilliseconds;
  int64_t llSpan;
  int32_t iD, iH, iM, iS, iMs;                   // components
  int32_t iTD, iTH, iTM, iTS, iTMs;              // totals
  const char *pszMinSec, *pszHourMin, *pszHourMinSec;
};

TEST(ZNTimeSpanTest, PartsComponentsTotalsAndTexts) {
  const SpanCase cases[] = {
      {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "0:00", "0:00", "0:00:00"},
      {10, 5, 0, 0, 0, 10 * ZN_DAY + 5 * ZN_HOUR, 3, 5, 0, 0, 0, 10, 245, 14'700, 882'000, 882'000'000,
       "14700:00", "245:00", "245:00:00"},
      {0, 0, 90, 0, 0, 90 * ZN_MINUTE, 0, 1, 30, 0, 0, 0, 1, 90, 5'400, 5'400'000, "90:00", "1:30", "1:30:00"},
      // One unit below each rollover.
      {0, 0, 0, 0, 999, 999 * ZN_MILLISECOND, 0, 0, 0, 0, 999, 0, 0, 0, 0, 999, "0:00", "0:00", "0:00:00"},
      {0, 0, 0, 59, 999, 59'999 * ZN_MILLISECOND, 0, 0, 0, 59, 999, 0, 0, 0, 59, 59'999, "0:59", "0:00",
       "0:00:59"},
      {0, 0, 59, 59, 0, 3'599 * ZN_SECOND, 0, 0, 59, 59, 0, 0, 0, 59, 3'599, 3'599'000, "59:59", "0:59",
       "0:59:59"},
      {0, 23, 59, 59, 999, ZN_DAY - ZN_MILLISECOND, 0, 23, 59, 59, 999, 0, 23, 1'439, 86'399, 86'399'999,
       "1439:59", "23:59", "23:59:59"},
      {6, 23, 59, 59, 999, ZN_WEEK - ZN_MILLISECOND, 6, 23, 59, 59, 999, 6, 167, 10'079, 604'799, 604'799'999,
       "10079:59", "167:59", "167:59:59"},
      {7, 0, 0, 0, 0, ZN_WEEK, 0, 0, 0, 0, 0, 7, 168, 10'080, 604'800, 604'800'000, "10080:00", "168:00",
       "168:00:00"},
      // Parts beyond their usual range and of mixed sign.
      {0, 1, -30, 0, 0, 30 * ZN_MINUTE, 0, 0, 30, 0, 0, 0, 0, 30, 1'800, 1'800'000, "30:00", "0:30", "0:30:00"},
      {0, 0, 0, 100'000, 0, 100'000 * ZN_SECOND, 1, 3, 46, 40, 0, 1, 27, 1'666, 100'000, 100'000'000,
       "1666:40", "27:46", "27:46:40"},
      // Negative counts: components and totals of zero or below, texts with a leading "-".
      {0, 0, 0, -5, 0, -5 * ZN_SECOND, 0, 0, 0, -5, 0, 0, 0, 0, -5, -5'000, "-0:05", "-0:00", "-0:00:05"},
      {0, 0, -90, -30, 0, -(90 * ZN_MINUTE + 30 * ZN_SECOND), 0, -1, -30, -30, 0, 0, -1, -90, -5'430,
       -5'430'000, "-90:30", "-1:30", "-1:30:30"},
      {-8, 0, 0, 0, -1, -(8 * ZN_DAY + ZN_MILLISECOND), -1, 0, 0, 0, -1, -8, -192, -11'520, -691'200,
       -691'200'001, "-11520:00", "-192:00", "-192:00:00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.iDays << "d " << c.iHours << "h " << c.iMinutes << "m " << c.iSeconds
                                    << "s " << c.iMilliseconds << "ms");
    const CZNTimeSpan span(c.iDays, c.iHours, c.iMinutes, c.iSeconds, c.iMilliseconds);
    EXPECT_EQ(span.IsNegative(), 0);
    EXPECT_EQ(span.GetSpan(), c.llSpan);
    EXPECT_EQ(span.GetDays(), c.iD);
    EXPECT_EQ(span.GetHours(), c.iH);
    EXPECT_EQ(span.GetMinutes(), c.iM);
    EXPECT_EQ(span.GetSeconds(), c.iS);
    EXPECT_EQ(span.GetMilliseconds(), c.iMs);
    EXPECT_EQ(span.GetTotalDays(), c.iTD);
    EXPECT_EQ(span.GetTotalHours(), c.iTH);
    EXPECT_EQ(span.GetTotalMinutes(), c.iTM);
    EXPECT_EQ(span.GetTotalSeconds(), c.iTS);
    EXPECT_EQ(span.GetTotalMilliseconds(), c.iTMs);
    EXPECT_EQ(span.GetMinSecText(), c.pszMinSec);
    EXPECT_EQ(span.GetHourMinText(), c.pszHourMin);
    EXPECT_EQ(span.GetHourMinSecText(), c.pszHourMinSec);
  }
}

TEST(ZNTimeSpanTest, TotalsKeepTheirLow32BitsWhileTextsStayWhole) {
  // 2^31 milliseconds, about 24.8 days: the millisecond total wraps.
  CZNTimeSpan span;
  span = int64_t{2'147'483'648} * ZN_MILLISECOND;
  EXPECT_EQ(span.GetTotalMilliseconds(), kInt32Min);
  EXPECT_EQ(span.GetTotalSeconds(), 2'147'483);

  // 100 years in days: far past the 32-bit second and minute totals.
  span.Set(36'525, 0, 0, 1, 0);
  EXPECT_EQ(span.GetTotalDays(), 36'525);
  EXPECT_EQ(span.GetTotalSeconds(), static_cast<int32_t>(int64_t{36'525} * 86'400 + 1));
  EXPECT_EQ(span.GetHourMinSecText(), "876600:00:01");
  EXPECT_EQ(span.GetHourMinText(), "876600:00");
  EXPECT_EQ(span.GetMinSecText(), "52596000:01");
}

TEST(ZNTimeSpanTest, SetKeepsTheFlagAndSaturatesAtTheEdges) {
  CZNTimeSpan span;
  span.SetNegative(1);
  span.Set(0, 0, 0, -5, 0);
  EXPECT_EQ(span.IsNegative(), 1);
  EXPECT_EQ(span.GetSpan(), -50'000'000);
  EXPECT_EQ(span.GetSeconds(), -5);

  span.SetNegative(7);  // stored unchanged
  EXPECT_EQ(span.IsNegative(), 7);

  const struct {
    int32_t iDays, iHours, iMinutes, iSeconds, iMilliseconds;
    int64_t llSpan;
  } cases[] = {
      // 10,675,199 days is the most a signed 64-bit count holds.
      {10'675'199, 0, 0, 0, 0, 10'675'199 * ZN_DAY},
      {10'675'200, 0, 0, 0, 0, kInt64Max},
      {kInt32Max, 0, 0, 0, 0, kInt64Max},
      {kInt32Min, 0, 0, 0, 0, -kInt64Max},
      {kInt32Min, kInt32Max, 0, 0, 0, -kInt64Max},  // still out of range after the hours
      {-10'675'200, 24, 0, 0, 0, -10'675'199 * ZN_DAY},  // back in range after the hours
      {10'675'199, 23, 0, 0, 0, kInt64Max},  // the sum passes the limit
      {kInt32Max, kInt32Max, kInt32Max, kInt32Max, kInt32Max, kInt64Max},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.iDays);
    span.Set(c.iDays, c.iHours, c.iMinutes, c.iSeconds, c.iMilliseconds);
    EXPECT_EQ(span.GetSpan(), c.llSpan);
  }
  span.Set(kInt32Min, 0, 0, 0, 0);
  EXPECT_EQ(span.GetHourMinSecText(), "-256204778:48:05");
}

TEST(ZNTimeSpanTest, AssignmentFrom64BitCountMovesTheSignIntoTheFlag) {
  const struct {
    int64_t llValue;
    int32_t bNegative;
    int64_t llSpan;
  } cases[] = {
      {0, 0, 0},
      {1, 0, 1},
      {-1, 1, 1},
      {-ZN_HOUR, 1, ZN_HOUR},
      {kInt64Max, 0, kInt64Max},
      {-kInt64Max, 1, kInt64Max},
      {std::numeric_limits<int64_t>::min(), 1, kInt64Max},  // its magnitude does not fit; stops one short
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.llValue);
    CZNTimeSpan span;
    span.SetNegative(c.bNegative ? 0 : 1);  // the assignment must overwrite it
    span = c.llValue;
    EXPECT_EQ(span.IsNegative(), c.bNegative);
    EXPECT_EQ(span.GetSpan(), c.llSpan);
  }

  CZNTimeSpan source(1, 2, 3, 4, 5);
  source.SetNegative(1);
  CZNTimeSpan copy;
  copy = source;
  EXPECT_EQ(copy.IsNegative(), 1);
  EXPECT_EQ(copy.GetSpan(), source.GetSpan());
  CZNTimeSpan& self = copy;
  copy = self;
  EXPECT_EQ(copy.GetSpan(), source.GetSpan());
}

TEST(ZNTimeSpanTest, SecondsToText) {
  const struct {
    int32_t iSeconds;
    const char* pszText;
  } cases[] = {
      {0, "0 Seconds"},
      {1, "1 Second"},
      {2, "2 Seconds"},
      {59, "59 Seconds"},
      {60, "1 Minute, 0 Sec"},
      {61, "1 Minute, 1 Sec"},
      {119, "1 Minute, 59 Sec"},
      {120, "2 Minutes, 0 Sec"},
      {3'599, "59 Minutes, 59 Sec"},
      {3'600, "1 Hour, 0 Min, 0 Sec"},
      {3'661, "1 Hour, 1 Min, 1 Sec"},
      {7'199, "1 Hour, 59 Min, 59 Sec"},
      {7'200, "2 Hours, 0 Min, 0 Sec"},
      {7'261, "2 Hours, 1 Min, 1 Sec"},
      {kInt32Max, "596523 Hours, 14 Min, 7 Sec"},
      {-1, "-1 Second"},
      {-61, "-1 Minute, 1 Sec"},
      {-7'261, "-2 Hours, 1 Min, 1 Sec"},
      {kInt32Min, "-596523 Hours, 14 Min, 8 Sec"},
  };
  for (const auto& c : cases) EXPECT_EQ(SecondsToText(c.iSeconds), c.pszText) << c.iSeconds;
}

TEST(ZNTimeSpanTest, MillisecondsToText) {
  const struct {
    int32_t iMilliseconds;
    const char* pszText;
  } cases[] = {
      {0, "0 Seconds, 0 msec"},
      {999, "0 Seconds, 999 msec"},
      {1'000, "1 Second, 0 msec"},
      {1'999, "1 Second, 999 msec"},
      {61'500, "1 Minute, 1 Sec, 500 msec"},
      {3'599'999, "59 Minutes, 59 Sec, 999 msec"},
      {3'600'000, "1 Hour, 0 Min, 0 Sec, 0 msec"},
      {kInt32Max, "596 Hours, 31 Min, 23 Sec, 647 msec"},
      {-1, "-0 Seconds, 1 msec"},
      {-1'500, "-1 Second, 500 msec"},
      {kInt32Min, "-596 Hours, 31 Min, 23 Sec, 648 msec"},
  };
  for (const auto& c : cases) EXPECT_EQ(MillisecondsToText(c.iMilliseconds), c.pszText) << c.iMilliseconds;
}

}  // namespace
