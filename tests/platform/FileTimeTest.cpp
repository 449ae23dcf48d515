#include "platform/FileTime.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

using platform::FileTimeToSystemTime;
using platform::SystemTime;
using platform::SystemTimeToFileTime;

constexpr uint64_t kMs = 10'000;
constexpr uint64_t kDay = 86'400'000 * kMs;

SystemTime Fields(uint16_t y, uint16_t mo, uint16_t d, uint16_t h = 0, uint16_t mi = 0, uint16_t s = 0,
                  uint16_t ms = 0, uint16_t dow = 0) {
  SystemTime st;
  st.wYear = y;
  st.wMonth = mo;
  st.wDayOfWeek = dow;
  st.wDay = d;
  st.wHour = h;
  st.wMinute = mi;
  st.wSecond = s;
  st.wMilliseconds = ms;
  return st;
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

struct KnownInstant {
  SystemTime st;  // with its true day of week
  uint64_t ft;
};

TEST(FileTimeTest, KnownInstantsConvertBothWays) {
  const KnownInstant cases[] = {
      {Fields(1601, 1, 1, 0, 0, 0, 0, 1), 0},                             // the first instant, a Monday
      {Fields(1601, 1, 1, 0, 0, 0, 1, 1), kMs},                           // one millisecond later
      {Fields(1601, 1, 2, 0, 0, 0, 0, 2), kDay},                          // one day later
      {Fields(1970, 1, 1, 0, 0, 0, 0, 4), 116'444'736'000'000'000ull},     // the Unix epoch, Thursday
      {Fields(2000, 1, 1, 0, 0, 0, 0, 6), 125'911'584'000'000'000ull},     // Saturday
      {Fields(2013, 3, 15, 14, 5, 9, 250, 5), 130'078'299'092'500'000ull},  // Friday
      {Fields(30827, 12, 31, 23, 59, 59, 999, 5), 9'223'149'887'999'990'000ull},  // the last millisecond
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.st.wYear << "-" << c.st.wMonth << "-" << c.st.wDay);
    uint64_t ft = 1;
    SystemTime withWrongDay = c.st;
    withWrongDay.wDayOfWeek = 3;  // ignored on the way in
    ASSERT_TRUE(SystemTimeToFileTime(withWrongDay, &ft));
    EXPECT_EQ(ft, c.ft);
    SystemTime back;
    ASSERT_TRUE(FileTimeToSystemTime(c.ft, &back));
    EXPECT_EQ(back, c.st);
  }
}

TEST(FileTimeTest, CountsEndWithTheLastYearAndDropUnitsBelowAMillisecond) {
  SystemTime st;
  ASSERT_TRUE(FileTimeToSystemTime(platform::kLargestFileTime, &st));
  EXPECT_EQ(st, Fields(30827, 12, 31, 23, 59, 59, 999, 5));
  ASSERT_TRUE(FileTimeToSystemTime(kMs - 1, &st));
  EXPECT_EQ(st, Fields(1601, 1, 1, 0, 0, 0, 0, 1));

  const uint64_t refused[] = {platform::kLargestFileTime + 1,
                              static_cast<uint64_t>(std::numeric_limits<int64_t>::max()), 0x8000000000000000ull,
                              ~0ull};
  for (uint64_t ft : refused) {
    SystemTime untouched = Fields(2000, 1, 1);
    EXPECT_FALSE(FileTimeToSystemTime(ft, &untouched)) << ft;
    EXPECT_EQ(untouched, Fields(2000, 1, 1));
  }
}

TEST(FileTimeTest, InvalidFieldsAreRejected) {
  const SystemTime cases[] = {
      Fields(1600, 12, 31, 23, 59, 59, 999),  // before the first instant
      Fields(30828, 1, 1),                    // past the last instant
      Fields(0, 1, 1),
      Fields(2000, 0, 1),
      Fields(2000, 13, 1),
      Fields(2000, 1, 0),
      Fields(2000, 1, 32),
      Fields(2000, 4, 31),
      Fields(1900, 2, 29),  // divisible by 100, not by 400
      Fields(2100, 2, 29),
      Fields(2001, 2, 29),
      Fields(2000, 2, 30),
      Fields(2000, 1, 1, 24),
      Fields(2000, 1, 1, 0, 60),
      Fields(2000, 1, 1, 0, 0, 60),
      Fields(2000, 1, 1, 0, 0, 0, 1000),
      Fields(65535, 65535, 65535, 65535, 65535, 65535, 65535),
  };
  for (const auto& st : cases) {
    SCOPED_TRACE(testing::Message() << st.wYear << "-" << st.wMonth << "-" << st.wDay << " " << st.wHour
                                    << ":" << st.wMinute << ":" << st.wSecond << "." << st.wMilliseconds);
    uint64_t ft = 12345;
    EXPECT_FALSE(SystemTimeToFileTime(st, &ft));
    EXPECT_EQ(ft, 12345u);
  }
}

TEST(FileTimeTest, LeapDaysFollowTheGregorianRule) {
  const struct {
    uint16_t wYear;
    bool bLeap;
  } cases[] = {{1900, false}, {2000, true}, {2004, true}, {2100, false}, {1604, true}, {2400, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.wYear);
    uint64_t ftFeb28 = 0, ftMar1 = 0, ftFeb29 = 0;
    ASSERT_TRUE(SystemTimeToFileTime(Fields(c.wYear, 2, 28), &ftFeb28));
    ASSERT_TRUE(SystemTimeToFileTime(Fields(c.wYear, 3, 1), &ftMar1));
    EXPECT_EQ(ftMar1 - ftFeb28, (c.bLeap ? 2 : 1) * kDay);
    EXPECT_EQ(SystemTimeToFileTime(Fields(c.wYear, 2, 29, 12), &ftFeb29), c.bLeap);
  }
}

// Walks every year of the range, checking each year's first and last moments
// against a day count kept independently of the conversion.
TEST(FileTimeTest, EveryYearRoundTripsAndAdjoinsTheNext) {
  uint64_t ullDays = 0;  // days from 1601-01-01 to 1 January of the year
  for (int y = 1601; y <= 30827; ++y) {
    const uint16_t wYear = static_cast<uint16_t>(y);
    const int iDow = static_cast<int>((ullDays + 1) % 7);  // 1601-01-01 was a Monday

    uint64_t ft = 0;
    ASSERT_TRUE(SystemTimeToFileTime(Fields(wYear, 1, 1), &ft)) << y;
    ASSERT_EQ(ft, ullDays * kDay) << y;
    SystemTime back;
    ASSERT_TRUE(FileTimeToSystemTime(ft, &back)) << y;
    ASSERT_EQ(back, Fields(wYear, 1, 1, 0, 0, 0, 0, static_cast<uint16_t>(iDow))) << y;

    const uint64_t ullYearDays = IsLeap(y) ? 366 : 365;
    {
      const SystemTime last = Fields(wYear, 12, 31, 23, 59, 59, 999);
      ASSERT_TRUE(SystemTimeToFileTime(last, &ft)) << y;
      ASSERT_EQ(ft, (ullDays + ullYearDays) * kDay - kMs) << y;
      ASSERT_TRUE(FileTimeToSystemTime(ft, &back)) << y;
      ASSERT_EQ(back.wDayOfWeek, (iDow + ullYearDays - 1) % 7) << y;
      back.wDayOfWeek = 0;
      ASSERT_EQ(back, last) << y;
    }
    ullDays += ullYearDays;
  }
}

// Counts spread over the whole range come back as the same count, cut to the
// millisecond, with the day of week matching the day number.
TEST(FileTimeTest, CountsRoundTripAcrossTheRange) {
  const uint64_t ullLast = platform::kLargestFileTime;
  const uint64_t ullStep = ullLast / 99'991;  // a prime number of steps, so times of day vary
  for (uint64_t ft = 0; ft <= ullLast - ullStep; ft += ullStep) {
    SystemTime st;
    ASSERT_TRUE(FileTimeToSystemTime(ft, &st)) << ft;
    ASSERT_EQ(st.wDayOfWeek, (ft / kDay + 1) % 7) << ft;
    uint64_t ftBack = 0;
    ASSERT_TRUE(SystemTimeToFileTime(st, &ftBack)) << ft;
    ASSERT_EQ(ftBack, ft - ft % kMs) << ft;
  }
}

}  // namespace
