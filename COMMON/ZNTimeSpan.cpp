#include "COMMON/ZNTimeSpan.h"

#include <limits>

#include "COMMON/ZNPrintf.h"

namespace {

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

// Spans are kept within +-INT64_MAX, so every count has a magnitude that fits.
int64_t SaturatingProduct(int64_t llValue, int64_t llUnit) {
  if (llValue > kMax / llUnit) return kMax;
  if (llValue < -(kMax / llUnit)) return -kMax;
  return llValue * llUnit;
}

}  // namespace

CZNTimeSpan::CZNTimeSpan(int32_t iDays, int32_t iHours, int32_t iMinutes, int32_t iSeconds,
                         int32_t iMilliseconds) {
  Set(iDays, iHours, iMinutes, iSeconds, iMilliseconds);
}

CZNTimeSpan& CZNTimeSpan::operator=(int64_t llSpan) {
  if (llSpan < 0) {
    m_bNegative = 1;
    m_llSpan = llSpan < -kMax ? kMax : -llSpan;
  } else {
    m_bNegative = 0;
    m_llSpan = llSpan;
  }
  return *this;
}

void CZNTimeSpan::Set(int32_t iDays, int32_t iHours, int32_t iMinutes, int32_t iSeconds,
                      int32_t iMilliseconds) {
  // Summed exactly in milliseconds (five 32-bit parts cannot overflow there), then
  // scaled once, so only a total beyond the count's range is cut.
  const int64_t llMilliseconds = int64_t{iDays} * 86'400'000 + int64_t{iHours} * 3'600'000 +
                                 int64_t{iMinutes} * 60'000 + int64_t{iSeconds} * 1'000 + iMilliseconds;
  m_llSpan = SaturatingProduct(llMilliseconds, ZN_MILLISECOND);
}

int32_t CZNTimeSpan::GetDays() const { return static_cast<int32_t>((m_llSpan % ZN_WEEK) / ZN_DAY); }
int32_t CZNTimeSpan::GetHours() const { return static_cast<int32_t>((m_llSpan % ZN_DAY) / ZN_HOUR); }
int32_t CZNTimeSpan::GetMinutes() const { return static_cast<int32_t>((m_llSpan % ZN_HOUR) / ZN_MINUTE); }
int32_t CZNTimeSpan::GetSeconds() const { return static_cast<int32_t>((m_llSpan % ZN_MINUTE) / ZN_SECOND); }
int32_t CZNTimeSpan::GetMilliseconds() const {
  return static_cast<int32_t>((m_llSpan % ZN_SECOND) / ZN_MILLISECOND);
}

int32_t CZNTimeSpan::GetTotalDays() const { return static_cast<int32_t>(m_llSpan / ZN_DAY); }
int32_t CZNTimeSpan::GetTotalHours() const { return static_cast<int32_t>(m_llSpan / ZN_HOUR); }
int32_t CZNTimeSpan::GetTotalMinutes() const { return static_cast<int32_t>(m_llSpan / ZN_MINUTE); }
int32_t CZNTimeSpan::GetTotalSeconds() const { return static_cast<int32_t>(m_llSpan / ZN_SECOND); }
int32_t CZNTimeSpan::GetTotalMilliseconds() const { return static_cast<int32_t>(m_llSpan / ZN_MILLISECOND); }

// The texts work on the magnitude in 64 bits, so the leading unit stays right
// past the 32-bit range of the totals.
std::string CZNTimeSpan::GetMinSecText() const {
  const int64_t llSpan = m_llSpan < 0 ? -m_llSpan : m_llSpan;
  const long long m = llSpan / ZN_MINUTE;
  const int s = static_cast<int>((llSpan - m * ZN_MINUTE) / ZN_SECOND);
  return ZNPrintf("%s%lld:%02d", m_llSpan < 0 ? "-" : "", m, s);
}

std::string CZNTimeSpan::GetHourMinText() const {
  const int64_t llSpan = m_llSpan < 0 ? -m_llSpan : m_llSpan;
  const long long h = llSpan / ZN_HOUR;
  const int m = static_cast<int>(llSpan / ZN_MINUTE - 60 * h);
  return ZNPrintf("%s%lld:%02d", m_llSpan < 0 ? "-" : "", h, m);
}

std::string CZNTimeSpan::GetHourMinSecText() const {
  const int64_t llSpan = m_llSpan < 0 ? -m_llSpan : m_llSpan;
  const long long h = llSpan / ZN_HOUR;
  const long long m = llSpan / ZN_MINUTE - 60 * h;
  const int s = static_cast<int>(llSpan / ZN_SECOND - 3'600 * h - 60 * m);
  return ZNPrintf("%s%lld:%02lld:%02d", m_llSpan < 0 ? "-" : "", h, m, s);
}

namespace {

std::string PositiveSecondsText(int64_t llSeconds) {
  const long long h = llSeconds / 3'600;
  const long long r = llSeconds - 3'600 * h;
  const int m = static_cast<int>(r / 60);
  const int sec = static_cast<int>(r - 60 * m);
  if (h >= 2) return ZNPrintf("%lld Hours, %d Min, %d Sec", h, m, sec);
  if (h == 1) return ZNPrintf("%lld Hour, %d Min, %d Sec", h, m, sec);
  if (m >= 2) return ZNPrintf("%d Minutes, %d Sec", m, sec);
  if (m == 1) return ZNPrintf("%d Minute, %d Sec", m, sec);
  if (llSeconds == 1) return "1 Second";
  return ZNPrintf("%d Seconds", sec);
}

std::string PositiveMillisecondsText(int64_t llMilliseconds) {
  return ZNPrintf("%s, %d msec", PositiveSecondsText(llMilliseconds / 1'000).c_str(),
                  static_cast<int>(llMilliseconds % 1'000));
}

}  // namespace

// Negative counts are widened before they are negated, so INT32_MIN reads right too.
std::string SecondsToText(int32_t iSeconds) {
  if (iSeconds < 0) return "-" + PositiveSecondsText(-static_cast<int64_t>(iSeconds));
  return PositiveSecondsText(iSeconds);
}

std::string MillisecondsToText(int32_t iMilliseconds) {
  if (iMilliseconds < 0) return "-" + PositiveMillisecondsText(-static_cast<int64_t>(iMilliseconds));
  return PositiveMillisecondsText(iMilliseconds);
}
