#include "COMMON/ZNTime.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

constexpr int32_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();

// dow is the stored, Sunday-based field.
CZNTime Make(uint16_t y, uint16_t mo, uint16_t d, uint16_t h = 0, uint16_t mi = 0, uint16_t s = 0,
             uint16_t ms = 0, uint16_t dow = 0) {
  platform::SystemTime st;
  st.wYear = y;
  st.wMonth = mo;
  st.wDayOfWeek = dow;
  st.wDay = d;
  st.wHour = h;
  st.wMinute = mi;
  st.wSecond = s;
  st.wMilliseconds = ms;
  return CZNTime(st);
}

std::string Show(const CZNTime& t) {
  const platform::SystemTime st = t.GetAsSystemTime();
  char sz[80];
  snprintf(sz, sizeof sz, "%04u-%02u-%02u %02u:%02u:%02u.%03u dow%u", st.wYear, st.wMonth, st.wDay, st.wHour,
           st.wMinute, st.wSecond, st.wMilliseconds, st.wDayOfWeek);
  return sz;
}

TEST(ZNTimeTest, SetAndCopiesKeepFieldsUnchecked) {
  CZNTime t = Make(2000, 1, 1);
  t.Set(0, 13, 9, 40, 25, 61, 61, 1000);  // nothing here is checked
  EXPECT_EQ(Show(t), "0000-13-40 25:61:61.1000 dow9");
  EXPECT_EQ(t.GetYear(), 0);
  EXPECT_EQ(t.GetMonth(), 13);
  EXPECT_EQ(t.GetDay(), 40);
  EXPECT_EQ(t.GetHour(), 25);
  EXPECT_EQ(t.GetMinute(), 61);
  EXPECT_EQ(t.GetSecond(), 61);
  EXPECT_EQ(t.GetMillisecond(), 1000);

  CZNTime copy(t);
  EXPECT_TRUE(copy == t);
  CZNTime assigned = Make(2000, 1, 1);
  assigned = t.GetAsSystemTime();
  EXPECT_TRUE(assigned == t);

  t.SetHour(7);
  t.SetMinute(8);
  t.SetSecond(9);
  t.SetMillisecond(10);
  EXPECT_EQ(Show(t), "0000-13-40 07:08:09.010 dow9");
}

TEST(ZNTimeTest, DayOfWeekIsMondayBasedOutside) {
  const struct {
    uint16_t wStored;
    uint16_t wMondayBased;
    const char *pszName, *pszShort;
  } cases[] = {{0, 6, "Sunday", "Sun"},      {1, 0, "Monday", "Mon"},   {2, 1, "Tuesday", "Tue"},
               {3, 2, "Wednesday", "Wed"}, {4, 3, "Thursday", "Thu"}, {5, 4, "Friday", "Fri"},
               {6, 5, "Saturday", "Sat"},  {7, 6, "Sunday", "Sun"},   {9, 8, "Unknown", "???"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.wStored);
    CZNTime t = Make(2000, 1, 1, 0, 0, 0, 0, c.wStored);
    EXPECT_EQ(t.GetDayOfWeek(), c.wMondayBased);
    EXPECT_EQ(t.GetDayName(), c.pszName);
    EXPECT_EQ(t.GetDayNameShort(), c.pszShort);
    if (c.wMondayBased <= 6) {
      CZNTime back = Make(2000, 1, 1, 0, 0, 0, 0, 3);
      back.SetDayOfWeek(c.wMondayBased);
      EXPECT_EQ(back.GetAsSystemTime().wDayOfWeek, c.wStored % 7);
    }
  }
  CZNTime t = Make(2000, 1, 1);
  t.SetDayOfWeek(6);
  EXPECT_EQ(t.GetAsSystemTime().wDayOfWeek, 0);
  EXPECT_EQ(t.GetDayOfWeek(), 6);
  t.SetDayOfWeek(9);  // unchecked
  EXPECT_EQ(t.GetAsSystemTime().wDayOfWeek, 10);
}

TEST(ZNTimeTest, NormalisingSettersValidateTheWholeDate) {
  CZNTime t = Make(2013, 4, 1, 10, 0, 0, 0, 0);
  EXPECT_FALSE(t.SetDay(31));
  EXPECT_EQ(Show(t), "2013-04-31 10:00:00.000 dow0");  // kept, not normalised
  EXPECT_TRUE(t.SetDay(30));
  EXPECT_EQ(Show(t), "2013-04-30 10:00:00.000 dow2");  // a Tuesday

  // Setting the month before the day fails on a day the month lacks.
  CZNTime m = Make(2013, 1, 31);
  EXPECT_FALSE(m.SetMonth(2));
  EXPECT_EQ(m.GetMonth(), 2);

  const struct {
    const char* pszWhat;
    CZNTime start;
    bool (*set)(CZNTime&);
    bool bResult;
    const char* pszAfter;
  } cases[] = {
      {"leap day of 2000", Make(2000, 2, 1), [](CZNTime& x) { return x.SetDay(29); }, true,
       "2000-02-29 00:00:00.000 dow2"},
      {"leap day of 2004", Make(2004, 2, 1), [](CZNTime& x) { return x.SetDay(29); }, true,
       "2004-02-29 00:00:00.000 dow0"},
      {"no leap day in 1900", Make(1900, 2, 1), [](CZNTime& x) { return x.SetDay(29); }, false,
       "1900-02-29 00:00:00.000 dow0"},
      {"no leap day in 2100", Make(2100, 2, 1), [](CZNTime& x) { return x.SetDay(29); }, false,
       "2100-02-29 00:00:00.000 dow0"},
      {"year 2100 on a leap day", Make(2000, 2, 29), [](CZNTime& x) { return x.SetYear(2100); }, false,
       "2100-02-29 00:00:00.000 dow0"},
      {"before 1601", Make(1601, 1, 1), [](CZNTime& x) { return x.SetYear(1600); }, false,
       "1600-01-01 00:00:00.000 dow0"},
      {"first year", Make(1700, 1, 1), [](CZNTime& x) { return x.SetYear(1601); }, true,
       "1601-01-01 00:00:00.000 dow1"},
      {"last year", Make(2000, 12, 31, 23, 59, 59, 999), [](CZNTime& x) { return x.SetYear(30827); }, true,
       "30827-12-31 23:59:59.999 dow5"},
      {"past the last year", Make(2000, 1, 1), [](CZNTime& x) { return x.SetYear(30828); }, false,
       "30828-01-01 00:00:00.000 dow0"},
      {"month 0", Make(2000, 1, 1), [](CZNTime& x) { return x.SetMonth(0); }, false,
       "2000-00-01 00:00:00.000 dow0"},
      {"month 13", Make(2000, 1, 1), [](CZNTime& x) { return x.SetMonth(13); }, false,
       "2000-13-01 00:00:00.000 dow0"},
      {"day 0", Make(2000, 1, 1), [](CZNTime& x) { return x.SetDay(0); }, false, "2000-01-00 00:00:00.000 dow0"},
      {"an unnormalised hour fails the date", Make(2000, 1, 1, 24), [](CZNTime& x) { return x.SetDay(2); },
       false, "2000-01-02 24:00:00.000 dow0"},
      {"milliseconds 1000", Make(2000, 1, 1, 0, 0, 0, 1000), [](CZNTime& x) { return x.SetDay(2); }, false,
       "2000-01-02 00:00:00.1000 dow0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    CZNTime x = c.start;
    EXPECT_EQ(c.set(x), c.bResult);
    EXPECT_EQ(Show(x), c.pszAfter);
  }
}

// How the message container rebuilds a value: day 1 first, then year, month, day.
TEST(ZNTimeTest, RebuildingFieldByFieldRecomputesTheDayOfWeek) {
  const struct {
    uint16_t y, mo, d;
    const char* pszDay;
  } cases[] = {{2013, 3, 15, "Friday"},   {1601, 1, 1, "Monday"},    {30827, 12, 31, "Friday"},
               {2000, 2, 29, "Tuesday"},  {2004, 2, 29, "Sunday"},   {1900, 3, 1, "Thursday"},
               {2100, 12, 31, "Friday"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.y);
    CZNTime t = Make(2001, 1, 31, 0, 0, 0, 0, 3);
    EXPECT_TRUE(t.SetDay(1));
    EXPECT_TRUE(t.SetYear(c.y));
    EXPECT_TRUE(t.SetMonth(c.mo));
    EXPECT_TRUE(t.SetDay(c.d));
    EXPECT_EQ(t.GetDayName(), c.pszDay);
  }
}

TEST(ZNTimeTest, TwelveHourTexts) {
  const struct {
    uint16_t wHour, wMinute, wSecond;
    uint16_t wHour12;
    const char *pszAMPM, *pszText, *pszWithSeconds;
  } cases[] = {
      {0, 0, 0, 12, "AM", "12:00 AM", "12:00:00 AM"},   {0, 59, 59, 12, "AM", "12:59 AM", "12:59:59 AM"},
      {1, 0, 0, 1, "AM", "1:00 AM", "1:00:00 AM"},      {9, 5, 7, 9, "AM", "9:05 AM", "9:05:07 AM"},
      {11, 59, 59, 11, "AM", "11:59 AM", "11:59:59 AM"}, {12, 0, 0, 12, "PM", "12:00 PM", "12:00:00 PM"},
      {12, 30, 0, 12, "PM", "12:30 PM", "12:30:00 PM"}, {13, 0, 0, 1, "PM", "1:00 PM", "1:00:00 PM"},
      {23, 59, 59, 11, "PM", "11:59 PM", "11:59:59 PM"}, {24, 0, 0, 12, "AM", "12:00 AM", "12:00:00 AM"},
      {25, 0, 0, 13, "PM", "13:00 PM", "13:00:00 PM"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.wHour);
    const CZNTime t = Make(2000, 1, 1, c.wHour, c.wMinute, c.wSecond);
    EXPECT_EQ(t.GetHour12(), c.wHour12);
    EXPECT_EQ(t.GetAMPM(), c.pszAMPM);
    EXPECT_EQ(t.GetTimeText(), c.pszText);
    EXPECT_EQ(t.GetTimeTextWithSeconds(), c.pszWithSeconds);
  }
}

TEST(ZNTimeTest, NameLookups) {
  const char* const days[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
  const char* const months[] = {"January", "February", "March",     "April",   "May",      "June",
                                "July",    "August",   "September", "October", "November", "December"};
  for (int32_t i = 0; i < 7; ++i) {
    EXPECT_EQ(DayOfWeekName(i), days[i]);
    EXPECT_EQ(DayOfWeekShortName(i), std::string(days[i], 3));
  }
  for (int32_t i = 1; i <= 12; ++i) {
    EXPECT_EQ(MonthName(i), months[i - 1]);
    EXPECT_EQ(MonthShortName(i), std::string(months[i - 1], 3));
    EXPECT_EQ(Make(2000, static_cast<uint16_t>(i), 1).GetMonthName(), months[i - 1]);
    EXPECT_EQ(Make(2000, static_cast<uint16_t>(i), 1).GetMonthNameShort(), std::string(months[i - 1], 3));
  }
  for (int32_t i : {-1, 7, kInt32Min, kInt32Max}) {
    EXPECT_EQ(DayOfWeekName(i), "Unknown") << i;
    EXPECT_EQ(DayOfWeekShortName(i), "???") << i;
  }
  for (int32_t i : {0, 13, -1, kInt32Min, kInt32Max}) {
    EXPECT_EQ(MonthName(i), "Unknown") << i;
    EXPECT_EQ(MonthShortName(i), "???") << i;
  }
  EXPECT_EQ(Make(2000, 0, 1).GetMonthName(), "Unknown");
  EXPECT_STREQ(szInvalidDateTime, "Invalid DateTime");
  EXPECT_STREQ(szInvalidDateTimeSpan, "Invalid DateTimeSpan");
}

TEST(ZNTimeTest, ComparisonByCountAndEqualityByFields) {
  const CZNTime first = Make(1601, 1, 1, 0, 0, 0, 0, 1);
  const CZNTime last = Make(30827, 12, 31, 23, 59, 59, 999, 5);
  const CZNTime invalid = Make(2013, 4, 31);
  const struct {
    const char* pszWhat;
    CZNTime a, b;
    bool bEq, bGe, bLe, bGt, bLt;
  } cases[] = {
      {"same", Make(2013, 3, 15, 14, 5, 9, 250, 5), Make(2013, 3, 15, 14, 5, 9, 250, 5), true, true, true, false,
       false},
      {"only the day of week differs", Make(2013, 3, 15, 0, 0, 0, 0, 5), Make(2013, 3, 15, 0, 0, 0, 0, 2), false,
       true, true, false, false},
      {"one millisecond earlier", Make(2013, 3, 15, 0, 0, 0, 0), Make(2013, 3, 15, 0, 0, 0, 1), false, false,
       true, false, true},
      {"a year later", Make(2014, 1, 1), Make(2013, 12, 31, 23, 59, 59, 999), false, true, false, true, false},
      {"first and last", first, last, false, false, true, false, true},
      {"last and first", last, first, false, true, false, true, false},
      {"left invalid", invalid, first, false, false, false, false, false},
      {"right invalid", last, invalid, false, false, false, false, false},
      {"both invalid and equal", invalid, invalid, true, false, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    EXPECT_EQ(c.a == c.b, c.bEq);
    EXPECT_EQ(c.a >= c.b, c.bGe);
    EXPECT_EQ(c.a <= c.b, c.bLe);
    EXPECT_EQ(c.a > c.b, c.bGt);
    EXPECT_EQ(c.a < c.b, c.bLt);
  }
}

TEST(ZNTimeTest, DifferenceIsAMagnitudeWithASign) {
  const CZNTime first = Make(1601, 1, 1);
  const CZNTime last = Make(30827, 12, 31, 23, 59, 59, 999);
  const struct {
    const char* pszWhat;
    CZNTime a, b;
    int32_t bNegative;
    int64_t llSpan;
  } cases[] = {
      {"b an hour later", Make(2013, 3, 15, 14), Make(2013, 3, 15, 15), 1, 36'000'000'000},
      {"b an hour earlier", Make(2013, 3, 15, 15), Make(2013, 3, 15, 14), 0, 36'000'000'000},
      {"equal", Make(2013, 3, 15, 15), Make(2013, 3, 15, 15, 0, 0, 0, 4), 0, 0},
      {"over a leap day", Make(2004, 3, 1), Make(2004, 2, 28), 0, 2 * ZN_DAY},
      {"the whole range", last, first, 0, 9'223'149'887'999'990'000},
      {"the whole range backwards", first, last, 1, 9'223'149'887'999'990'000},
      // Any invalid operand gives a zero span with the flag clear.
      {"left invalid", Make(2013, 2, 29), first, 0, 0},
      {"right invalid", first, Make(2013, 1, 1, 0, 60), 0, 0},
      {"both invalid", Make(1600, 1, 1), Make(30828, 1, 1), 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    const CZNTimeSpan span = c.a - c.b;
    EXPECT_EQ(span.IsNegative(), c.bNegative);
    EXPECT_EQ(span.GetSpan(), c.llSpan);
  }
}

enum class Unit { kDays, kHours, kMinutes, kSeconds, kMilliseconds };

void Add(CZNTime& t, Unit unit, int32_t n) {
  switch (unit) {
    case Unit::kDays: t.AddDays(n); break;
    case Unit::kHours: t.AddHours(n); break;
    case Unit::kMinutes: t.AddMinutes(n); break;
    case Unit::kSeconds: t.AddSeconds(n); break;
    case Unit::kMilliseconds: t.AddMilliseconds(n); break;
  }
}

TEST(ZNTimeTest, ArithmeticMovesTheValueAndRewritesTheDayOfWeek) {
  const struct {
    const char* pszWhat;
    CZNTime start;
    Unit unit;
    int32_t n;
    const char* pszAfter;
  } cases[] = {
      {"back over a leap day", Make(2004, 3, 1), Unit::kDays, -1, "2004-02-29 00:00:00.000 dow0"},
      {"back over a missing leap day", Make(2100, 3, 1), Unit::kDays, -1, "2100-02-28 00:00:00.000 dow0"},
      {"into the next year", Make(2000, 12, 31, 23, 59, 59, 999), Unit::kMilliseconds, 1,
       "2001-01-01 00:00:00.000 dow1"},
      {"into the last year", Make(2000, 1, 1, 0, 0, 0, 0), Unit::kMinutes, -1, "1999-12-31 23:59:00.000 dow5"},
      {"milliseconds kept", Make(2013, 3, 15, 14, 5, 9, 250), Unit::kSeconds, 3'600 * 24,
       "2013-03-16 14:05:09.250 dow6"},
      {"hours", Make(2013, 3, 15, 14), Unit::kHours, 34, "2013-03-17 00:00:00.000 dow0"},
      // Beyond the 32-bit products of seconds: 24,855 days, 596,523 hours, 35,791,394 minutes.
      {"25,000 days", Make(2000, 1, 1), Unit::kDays, 25'000, "2068-06-12 00:00:00.000 dow2"},
      {"600,001 hours", Make(2000, 1, 1), Unit::kHours, 600'001, "2068-06-12 01:00:00.000 dow2"},
      {"most minutes", Make(2000, 1, 1), Unit::kMinutes, kInt32Max, "6083-01-23 02:07:00.000 dow6"},
      {"least minutes", Make(9999, 12, 31, 23, 59), Unit::kMinutes, kInt32Min, "5916-12-08 21:51:00.000 dow5"},
      {"145,000 days back", Make(2000, 1, 1), Unit::kDays, -145'000, "1603-01-02 00:00:00.000 dow4"},
      {"to the last instant", Make(1601, 1, 1, 23, 59, 59, 999), Unit::kDays, 10'674'941,
       "30827-12-31 23:59:59.999 dow5"},
      {"to the first instant", Make(1601, 1, 1, 0, 0, 1, 0), Unit::kMilliseconds, -1'000,
       "1601-01-01 00:00:00.000 dow1"},
      // Results outside the range leave the value as it was.
      {"before the first instant", Make(1601, 1, 1, 0, 0, 0, 0, 1), Unit::kMilliseconds, -1,
       "1601-01-01 00:00:00.000 dow1"},
      {"past the last instant", Make(30827, 12, 31, 23, 59, 59, 999, 5), Unit::kMilliseconds, 1,
       "30827-12-31 23:59:59.999 dow5"},
      {"most days", Make(2000, 1, 1, 0, 0, 0, 0, 6), Unit::kDays, kInt32Max, "2000-01-01 00:00:00.000 dow6"},
      {"least days", Make(2000, 1, 1, 0, 0, 0, 0, 6), Unit::kDays, kInt32Min, "2000-01-01 00:00:00.000 dow6"},
      {"least hours", Make(30000, 1, 1, 0, 0, 0, 0, 6), Unit::kHours, kInt32Min, "30000-01-01 00:00:00.000 dow6"},
      // An invalid value is never changed; nothing happens for zero.
      {"invalid value", Make(2013, 4, 31), Unit::kDays, 1, "2013-04-31 00:00:00.000 dow0"},
      {"zero on an invalid value", Make(2013, 4, 31), Unit::kSeconds, 0, "2013-04-31 00:00:00.000 dow0"},
      {"zero keeps a wrong day of week", Make(2013, 4, 30, 0, 0, 0, 0, 6), Unit::kDays, 0,
       "2013-04-30 00:00:00.000 dow6"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    CZNTime t = c.start;
    Add(t, c.unit, c.n);
    EXPECT_EQ(Show(t), c.pszAfter);
  }
}

TEST(ZNTimeTest, MinutesToClockTexts) {
  const struct {
    int32_t iMinutes;
    const char *pszLong, *pszShort;
  } cases[] = {
      {0, "12:00  AM", "12:00a"},    {59, "12:59  AM", "12:59a"},   {60, "1:00  AM", "1:00a"},
      {545, "9:05  AM", "9:05a"},    {719, "11:59  AM", "11:59a"},  {720, "12:00  PM", "12:00p"},
      {725, "12:05  PM", "12:05p"},  {779, "12:59  PM", "12:59p"},  {780, "1:00  PM", "1:00p"},
      {1'439, "11:59  PM", "11:59p"}, {1'440, "12:00  PM", "12:00p"}, {1'500, "13:00  PM", "13:00p"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MinutesToClockText(c.iMinutes), c.pszLong) << c.iMinutes;
    EXPECT_EQ(MinutesToShortClockText(c.iMinutes), c.pszShort) << c.iMinutes;
  }
}

}  // namespace
