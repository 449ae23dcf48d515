#ifndef KESTO_COMMON_ZNTIMESPAN_H
#define KESTO_COMMON_ZNTIMESPAN_H

#include <cstdint>
#include <string>

#include "COMMON/ZNTimeUnits.h"

// A duration: a sign flag beside a count of 100-nanosecond units. The difference
// of two CZNTime values keeps the count at zero or above and puts the direction
// in the flag; Set with negative parts may leave a negative count instead.
class CZNTimeSpan {
 public:
  CZNTimeSpan() = default;
  CZNTimeSpan(int32_t iDays, int32_t iHours, int32_t iMinutes, int32_t iSeconds, int32_t iMilliseconds);
  CZNTimeSpan(const CZNTimeSpan& other) = default;
  virtual ~CZNTimeSpan() = default;

  CZNTimeSpan& operator=(const CZNTimeSpan& other) = default;
  // A negative v sets the flag and keeps its magnitude.
  CZNTimeSpan& operator=(int64_t llSpan);

  // Count = the sum of the parts, each of any size or sign; the flag is kept.
  // A sum beyond the 64-bit range stops at +-INT64_MAX.
  void Set(int32_t iDays, int32_t iHours, int32_t iMinutes, int32_t iSeconds, int32_t iMilliseconds);

  int32_t IsNegative() const { return m_bNegative; }
  void SetNegative(int32_t bNegative) { m_bNegative = bNegative; }
  int64_t GetSpan() const { return m_llSpan; }

  // Components: days beyond whole weeks (0-6), hours 0-23, minutes and seconds
  // 0-59, milliseconds 0-999; zero or below for a negative count.
  int32_t GetDays() const;
  int32_t GetHours() const;
  int32_t GetMinutes() const;
  int32_t GetSeconds() const;
  int32_t GetMilliseconds() const;

  // The whole span in one unit, truncated toward zero and cut to its low 32 bits.
  int32_t GetTotalDays() const;
  int32_t GetTotalHours() const;
  int32_t GetTotalMinutes() const;
  int32_t GetTotalSeconds() const;
  int32_t GetTotalMilliseconds() const;

  // "m:ss", "h:mm" and "h:mm:ss"; the leading unit is not wrapped. The flag is
  // not shown; a negative count reads as "-" before the text of its magnitude.
  std::string GetMinSecText() const;
  std::string GetHourMinText() const;
  std::string GetHourMinSecText() const;

 private:
  int32_t m_bNegative = 0;
  int64_t m_llSpan = 0;
};

// Worded durations: "2 Hours, 1 Min, 5 Sec", "1 Minute, 59 Sec", "1 Second",
// "0 Seconds"; the milliseconds form appends ", <n> msec". A negative count reads
// as "-" before the text of its magnitude.
std::string SecondsToText(int32_t iSeconds);
std::string MillisecondsToText(int32_t iMilliseconds);

#endif
