#ifndef KESTO_COMMON_ZNTIME_H
#define KESTO_COMMON_ZNTIME_H

#include <cstdint>
#include <string>

#include "COMMON/ZNTimeSpan.h"
#include "COMMON/ZNTimeUnits.h"
#include "platform/SystemTime.h"

extern const char szInvalidDateTime[];      // "Invalid DateTime"
extern const char szInvalidDateTimeSpan[];  // "Invalid DateTimeSpan"

// A local wall-clock moment held field by field in the SYSTEMTIME layout, with no
// time zone. Comparison and arithmetic go through the 64-bit count of 100-ns
// units since 1601; a value is valid when its fields convert to that count.
class CZNTime {
 public:
  // The current local time.
  CZNTime();
  CZNTime(const platform::SystemTime& st) : m_stTime(st) {}
  CZNTime(const CZNTime& other) = default;
  virtual ~CZNTime() = default;

  CZNTime& operator=(const CZNTime& other) = default;
  CZNTime& operator=(const platform::SystemTime& st);

  void SetToNow();
  // Stores the fields as given, unchecked; the day of week here is 0 = Sunday.
  void Set(uint16_t wYear, uint16_t wMonth, uint16_t wDayOfWeek, uint16_t wDay, uint16_t wHour,
           uint16_t wMinute, uint16_t wSecond, uint16_t wMilliseconds);
  platform::SystemTime GetAsSystemTime() const { return m_stTime; }

  uint16_t GetYear() const { return m_stTime.wYear; }
  uint16_t GetMonth() const { return m_stTime.wMonth; }
  // 0 = Monday ... 6 = Sunday.
  uint16_t GetDayOfWeek() const;
  uint16_t GetDay() const { return m_stTime.wDay; }
  uint16_t GetHour() const { return m_stTime.wHour; }
  uint16_t GetMinute() const { return m_stTime.wMinute; }
  uint16_t GetSecond() const { return m_stTime.wSecond; }
  uint16_t GetMillisecond() const { return m_stTime.wMilliseconds; }

  // These three store the field, then recompute the day of week when the whole
  // date is valid; they return whether it is. A value rebuilt field by field
  // therefore sets the day to 1 first, then year and month, then the real day.
  bool SetYear(uint16_t wYear);
  bool SetMonth(uint16_t wMonth);
  bool SetDay(uint16_t wDay);
  // 0 = Monday ... 6 = Sunday; unchecked.
  void SetDayOfWeek(uint16_t wDayOfWeek);
  void SetHour(uint16_t wHour) { m_stTime.wHour = wHour; }
  void SetMinute(uint16_t wMinute) { m_stTime.wMinute = wMinute; }
  void SetSecond(uint16_t wSecond) { m_stTime.wSecond = wSecond; }
  void SetMillisecond(uint16_t wMilliseconds) { m_stTime.wMilliseconds = wMilliseconds; }

  // 12-hour clock: 0 reads 12, 13-23 read 1-11.
  uint16_t GetHour12() const;
  std::string GetAMPM() const;
  std::string GetTimeText() const;             // "9:05 AM"
  std::string GetTimeTextWithSeconds() const;  // "9:05:07 AM"
  std::string GetDayName() const;
  std::string GetDayNameShort() const;
  std::string GetMonthName() const;
  std::string GetMonthNameShort() const;

  // All eight fields, the day of week included.
  bool operator==(const CZNTime& other) const;
  // By the 64-bit count; false whenever either side is not valid.
  bool operator>=(const CZNTime& other) const;
  bool operator<=(const CZNTime& other) const;
  bool operator>(const CZNTime& other) const;
  bool operator<(const CZNTime& other) const;
  // |this - other| with the flag set when other is later. A zero span with the
  // flag clear when either side is not valid.
  CZNTimeSpan operator-(const CZNTime& other) const;

  // Move the value by the given amount; nothing changes when it is not valid or
  // when the result would leave the convertible range.
  void AddDays(int32_t iDays);
  void AddHours(int32_t iHours);
  void AddMinutes(int32_t iMinutes);
  void AddSeconds(int32_t iSeconds);
  void AddMilliseconds(int32_t iMilliseconds);

  // Whether the system's time zone is in daylight-saving time now; the value held
  // plays no part.
  bool IsDaylightSavingTime() const;

 private:
  // Recomputes the day of week; false when the value is not valid.
  bool Normalize();
  void AddUnits(int64_t llCount, int64_t llUnit);

  platform::SystemTime m_stTime;
};

// Names by the Monday-based day index and by month 1-12.
std::string DayOfWeekName(int32_t iDay);       // "Monday", else "Unknown"
std::string DayOfWeekShortName(int32_t iDay);  // "Mon", else "???"
std::string MonthName(int32_t iMonth);         // "January", else "Unknown"
std::string MonthShortName(int32_t iMonth);    // "Jan", else "???"

// Minutes since midnight as a 12-hour clock: 545 gives "9:05  AM" (two blanks) and
// "9:05a". No wrap past a day: 1,500 gives "13:00  PM".
std::string MinutesToClockText(int32_t iMinutes);
std::string MinutesToShortClockText(int32_t iMinutes);

#endif
