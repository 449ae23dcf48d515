// The items that carry a time: date and time (16 bytes), its compact form
// (6 bytes) and the time span (12 bytes).
#include "COMMON/ZNMSG.h"
#include "COMMON/ZNTime.h"
#include "COMMON/ZNTimeSpan.h"

namespace {
constexpr int32_t kTimeSize = 16;
constexpr int32_t kShortTimeSize = 6;
constexpr int32_t kTimeSpanSize = 12;
}  // namespace

bool CZNMSG::WriteTime(const CZNTime& time) {
  if (!ReserveItem(kTimeSize)) return false;
  WriteWord(time.GetYear());
  WriteWord(time.GetMonth());
  WriteWord(time.GetDayOfWeek());
  WriteWord(time.GetDay());
  WriteWord(time.GetHour());
  WriteWord(time.GetMinute());
  WriteWord(time.GetSecond());
  WriteWord(time.GetMillisecond());
  return true;
}

bool CZNMSG::WriteShortTime(const CZNTime& time) {
  if (!ReserveItem(kShortTimeSize)) return false;
  WriteByte(static_cast<uint8_t>(time.GetYear() - 2000));
  WriteByte(static_cast<uint8_t>(time.GetMonth() | time.GetDayOfWeek() << 4));
  WriteByte(static_cast<uint8_t>(time.GetDay()));
  WriteByte(static_cast<uint8_t>(time.GetHour()));
  WriteByte(static_cast<uint8_t>(time.GetMinute()));
  WriteByte(static_cast<uint8_t>(time.GetSecond()));
  return true;
}

bool CZNMSG::WriteTimeSpan(const CZNTimeSpan& span) {
  if (!ReserveItem(kTimeSpanSize)) return false;
  WriteShort(static_cast<int16_t>(span.IsNegative()));
  WriteShort(static_cast<int16_t>(span.GetDays()));
  WriteShort(static_cast<int16_t>(span.GetHours()));
  WriteShort(static_cast<int16_t>(span.GetMinutes()));
  WriteShort(static_cast<int16_t>(span.GetSeconds()));
  WriteShort(static_cast<int16_t>(span.GetMilliseconds()));
  return true;
}

bool CZNMSG::ReadTime(CZNTime& time) {
  if (m_bError) return false;
  m_bError = true;
  if (static_cast<int64_t>(m_iPos) + kTimeSize > m_iLength) return false;
  // Day 1 first, so that setting the year and month validates whatever the
  // old day was; the real day then recomputes the weekday.
  time.SetDay(1);
  uint16_t w[8];
  for (uint16_t& wField : w) ReadWord(wField);
  time.SetYear(w[0]);
  time.SetMonth(w[1]);
  time.SetDayOfWeek(w[2]);
  time.SetDay(w[3]);
  time.SetHour(w[4]);
  time.SetMinute(w[5]);
  time.SetSecond(w[6]);
  time.SetMillisecond(w[7]);
  m_bError = false;
  return true;
}

bool CZNMSG::ReadShortTime(CZNTime& time) {
  if (m_bError) return false;
  m_bError = true;
  if (static_cast<int64_t>(m_iPos) + kShortTimeSize > m_iLength) return false;
  uint8_t by[kShortTimeSize];
  for (uint8_t& byField : by) ReadByte(byField);
  time.SetDay(1);
  time.SetYear(static_cast<uint16_t>(by[0] + 2000));
  time.SetMonth(by[1] & 0x0F);
  time.SetDay(by[2]);
  // Set after the day, so the weekday stored here is the one that stays.
  time.SetDayOfWeek(by[1] >> 4);
  time.SetHour(by[3]);
  time.SetMinute(by[4]);
  time.SetSecond(by[5]);
  time.SetMillisecond(0);
  m_bError = false;
  return true;
}

bool CZNMSG::ReadTimeSpan(CZNTimeSpan& span) {
  if (m_bError) return false;
  m_bError = true;
  if (static_cast<int64_t>(m_iPos) + kTimeSpanSize > m_iLength) return false;
  int16_t sh[6];
  for (int16_t& shField : sh) ReadShort(shField);
  span.Set(sh[1], sh[2], sh[3], sh[4], sh[5]);
  span.SetNegative(sh[0]);
  m_bError = false;
  return true;
}
