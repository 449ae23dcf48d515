#ifndef KESTO_COMMON_ZNLOGMSG_H
#define KESTO_COMMON_ZNLOGMSG_H

#include <cstddef>
#include <cstdint>

#include "COMMON/ZNMSG.h"
#include "COMMON/ZNTime.h"

// A message carrying a time stamp and a 32-bit value: the payload is a date and
// time item (16 bytes) followed by the value (4 bytes), and both are kept as
// members too. Made from a value it has tag 0 and type 0.
class CZNLogMSG : public CZNMSG {
 public:
  static constexpr int32_t kPayloadSize = 20;
  static constexpr int32_t kRawSize = kHeaderSize + kPayloadSize;

  // Stamped with the current local time.
  explicit CZNLogMSG(int32_t iValue);
  // Trusts pRaw to hold at least kRawSize bytes, whatever its header says.
  explicit CZNLogMSG(const uint8_t* pRaw);
  // Refuses fewer than kRawSize bytes, or a header length that is negative,
  // above kMaxRawLength or beyond nHeld: the message is then empty (tag and
  // type -1, no buffer, length 0, value 0).
  CZNLogMSG(const uint8_t* pRaw, size_t nHeld);
  ~CZNLogMSG() override = default;

  CZNTime GetLogTime() const { return m_time; }
  // Rewrites the stamp at the head of the payload; cursor and length stay.
  void SetLogTime(const CZNTime& time);
  int32_t GetValue() const { return m_iValue; }

  // Whether nHeld bytes at pRaw make a raw log message the checked constructor takes.
  static bool IsRawAcceptable(const uint8_t* pRaw, size_t nHeld);

 protected:
  void LoadFrom(const uint8_t* pRaw);

  CZNTime m_time;
  int32_t m_iValue = 0;
};

#endif
