#include "COMMON/ZNTime.h"

#include <limits>

#include "COMMON/ZNPrintf.h"
#include "platform/DaylightSaving.h"
#include "platform/FileTime.h"
#include "platform/LocalTime.h"

CZNTime::CZNTime() { SetToNow(); }

CZNTime& CZNTime::operator=(const platform::SystemTime& st) {
  m_stTime = st;
  return *this;
}

void CZNTime::SetToNow() { m_stTime = platform::GetLocalTime(); }

void CZNTime::Set(uint16_t wYear, uint16_t wMonth, uint16_t wDayOfWeek, uint16_t wDay, uint16_t wHour,
                  uint16_t wMinute, uint16_t wSecond, uint16_t wMilliseconds) {
  m_stTime.wYear = wYear;
  m_stTime.wMonth = wMonth;
  m_stTime.wDayOfWeek = wDayOfWeek;
  m_stTime.wDay = wDay;
  m_stTime.wHour = wHour;
  m_stTime.wMinute = wMinute;
  m_stTime.wSecond = wSecond;
  m_stTime.wMilliseconds = wMilliseconds;
}

uint16_t CZNTime::GetDayOfWeek() const {
  return m_stTime.wDayOfWeek == 0 ? 6 : static_cast<uint16_t>(m_stTime.wDayOfWeek - 1);
}

void CZNTime::SetDayOfWeek(uint16_t wDayOfWeek) {
  m_stTime.wDayOfWeek = wDayOfWeek == 6 ? 0 : static_cast<uint16_t>(wDayOfWeek + 1);
}

bool CZNTime::Normalize() {
  uint64_t ft = 0;
  if (!platform::SystemTimeToFileTime(m_stTime, &ft)) return false;
  return platform::FileTimeToSystemTime(ft, &m_stTime);
}

bool CZNTime::SetYear(uint16_t wYear) {
  m_stTime.wYear = wYear;
  return Normalize();
}

bool CZNTime::SetMonth(uint16_t wMonth) {
  m_stTime.wMonth = wMonth;
  return Normalize();
}

bool CZNTime::SetDay(uint16_t wDay) {
  m_stTime.wDay = wDay;
  return Normalize();
}

uint16_t CZNTime::GetHour12() const {
  const uint16_t wHour = m_stTime.wHour;
  if (wHour == 0) return 12;
  return wHour > 12 ? static_cast<uint16_t>(wHour - 12) : wHour;
}

std::string CZNTime::GetAMPM() const {
  return (m_stTime.wHour == 24 || m_stTime.wHour < 12) ? "AM" : "PM";
}

std::string CZNTime::GetTimeText() const {
  return ZNPrintf("%d:%02d %s", GetHour12(), m_stTime.wMinute, GetAMPM().c_str());
}

std::string CZNTime::GetTimeTextWithSeconds() const {
  return ZNPrintf("%d:%02d:%02d %s", GetHour12(), m_stTime.wMinute, m_stTime.wSecond, GetAMPM().c_str());
}

std::string CZNTime::GetDayName() const { return DayOfWeekName(GetDayOfWeek()); }
std::string CZNTime::GetDayNameShort() const { return DayOfWeekShortName(GetDayOfWeek()); }
std::string CZNTime::GetMonthName() const { return MonthName(m_stTime.wMonth); }
std::string CZNTime::GetMonthNameShort() const { return MonthShortName(m_stTime.wMonth); }

bool CZNTime::operator==(const CZNTime& other) const { return m_stTime == other.m_stTime; }

namespace {

// Both counts, or false when either value is not valid.
bool BothCounts(const platform::SystemTime& a, const platform::SystemTime& b, uint64_t* pA, uint64_t* pB) {
  return platform::SystemTimeToFileTime(a, pA) && platform::SystemTimeToFileTime(b, pB);
}

}  // namespace

bool CZNTime::operator>=(const CZNTime& other) const {
  uint64_t a = 0, b = 0;
  return BothCounts(m_stTime, other.m_stTime, &a, &b) && a >= b;
}

bool CZNTime::operator<=(const CZNTime& other) const {
  uint64_t a = 0, b = 0;
  return BothCounts(m_stTime, other.m_stTime, &a, &b) && a <= b;
}

bool CZNTime::operator>(const CZNTime& other) const {
  uint64_t a = 0, b = 0;
  return BothCounts(m_stTime, other.m_stTime, &a, &b) && a > b;
}

bool CZNTime::operator<(const CZNTime& other) const {
  uint64_t a = 0, b = 0;
  return BothCounts(m_stTime, other.m_stTime, &a, &b) && a < b;
}

CZNTimeSpan CZNTime::operator-(const CZNTime& other) const {
  CZNTimeSpan span;
  uint64_t a = 0, b = 0;
  if (!BothCounts(m_stTime, other.m_stTime, &a, &b)) return span;
  // Valid counts stay below 2^63, so the difference fits the span's signed count.
  span = static_cast<int64_t>(a) - static_cast<int64_t>(b);
  return span;
}

void CZNTime::AddDays(int32_t iDays) { AddUnits(iDays, ZN_DAY); }
void CZNTime::AddHours(int32_t iHours) { AddUnits(iHours, ZN_HOUR); }
void CZNTime::AddMinutes(int32_t iMinutes) { AddUnits(iMinutes, ZN_MINUTE); }
void CZNTime::AddSeconds(int32_t iSeconds) { AddUnits(iSeconds, ZN_SECOND); }
void CZNTime::AddMilliseconds(int32_t iMilliseconds) { AddUnits(iMilliseconds, ZN_MILLISECOND); }

// All in 64 bits: any amount that does not fit the count's range cannot land on a
// valid instant, so it is refused before it could overflow.
void CZNTime::AddUnits(int64_t llCount, int64_t llUnit) {
  if (llCount == 0) return;
  uint64_t ft = 0;
  if (!platform::SystemTimeToFileTime(m_stTime, &ft)) return;
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  if (llCount > kMax / llUnit || llCount < -(kMax / llUnit)) return;
  const int64_t llDelta = llCount * llUnit;
  const int64_t llNow = static_cast<int64_t>(ft);
  if (llDelta > 0 ? llNow > kMax - llDelta : llNow + llDelta < 0) return;
  platform::SystemTime st;
  if (platform::FileTimeToSystemTime(static_cast<uint64_t>(llNow + llDelta), &st)) m_stTime = st;
}

bool CZNTime::IsDaylightSavingTime() const {
  return platform::GetCurrentTimeZoneId() == platform::kTimeZoneIdDaylight;
}
