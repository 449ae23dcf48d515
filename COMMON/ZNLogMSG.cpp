#include "COMMON/ZNLogMSG.h"

#include <cstring>

#include "COMMON/ZNLittleEndian.h"

CZNLogMSG::CZNLogMSG(int32_t iValue) : CZNMSG(0, 0, 128, 1), m_iValue(iValue) {
  // Failures are not reported: without memory the members are still right.
  WriteTime(m_time);
  WriteInt(m_iValue);
}

CZNLogMSG::CZNLogMSG(const uint8_t* pRaw) { LoadFrom(pRaw); }

CZNLogMSG::CZNLogMSG(const uint8_t* pRaw, size_t nHeld) {
  if (IsRawAcceptable(pRaw, nHeld)) LoadFrom(pRaw);
}

bool CZNLogMSG::IsRawAcceptable(const uint8_t* pRaw, size_t nHeld) {
  return nHeld >= static_cast<size_t>(kRawSize) && CZNMSG::IsRawAcceptable(pRaw, nHeld, kMaxRawLength, nullptr);
}

void CZNLogMSG::LoadFrom(const uint8_t* pRaw) {
  InitSized(static_cast<int16_t>(zn_le::Get16(pRaw)), static_cast<int16_t>(zn_le::Get16(pRaw + 2)),
            static_cast<int32_t>(zn_le::Get32(pRaw + 4)), 1);
  const uint8_t* pTime = pRaw + kHeaderSize;
  m_time.SetDay(1);
  m_time.SetYear(zn_le::Get16(pTime));
  m_time.SetMonth(zn_le::Get16(pTime + 2));
  m_time.SetDayOfWeek(zn_le::Get16(pTime + 4));
  m_time.SetDay(zn_le::Get16(pTime + 6));
  m_time.SetHour(zn_le::Get16(pTime + 8));
  m_time.SetMinute(zn_le::Get16(pTime + 10));
  m_time.SetSecond(zn_le::Get16(pTime + 12));
  m_time.SetMillisecond(zn_le::Get16(pTime + 14));
  m_iValue = static_cast<int32_t>(zn_le::Get32(pRaw + 24));
  // The buffer always has room for the 20 bytes (at least 56 payload bytes);
  // the length stays as the header gave it.
  if (m_pBuffer != nullptr) {
    std::memcpy(m_pBuffer + kHeaderSize, pRaw + kHeaderSize, kPayloadSize);
    m_iPos = kPayloadSize;
  }
}

void CZNLogMSG::SetLogTime(const CZNTime& time) {
  m_time = time;
  const int32_t iPos = m_iPos;
  const int32_t iLength = m_iLength;
  m_iPos = 0;
  WriteTime(m_time);
  m_iPos = iPos;
  m_iLength = iLength;
  WriteLengthThrough();
}
