// The throwing forms: each calls its reporting form and raises CZNError 0 with
// this file text and its own line when that fails.
#include <cstdint>

#include "COMMON/ZNError.h"
#include "COMMON/ZNMSG.h"
#include "COMMON/ZNTime.h"
#include "COMMON/ZNTimeSpan.h"
#include "platform/SystemTime.h"

namespace {
// Kept as the original source path so existing logs and handlers still match.
constexpr char kSourceFile[] = "..\\COMMON\\znmsg";

enum Line : int32_t {
  kLineAssign = 1196,
  kLineInit = 1208,
  kLineGetBytes = 1219,
  kLineGetChar = 1229,
  kLineGetShort = 1240,
  kLineGetInt = 1251,
  kLineGetString = 1262,
  kLineGetTime = 1273,
  kLineGetColor = 1284,
  kLineGetRect = 1295,
  kLineGetTimeSpan = 1306,
  kLinePutBytes = 1318,
  kLinePutChar = 1328,
  kLinePutShort = 1338,
  kLinePutInt = 1348,
  kLinePutString = 1358,
  kLinePutTime = 1368,
  kLinePutTimeSpan = 1378,
  kLinePutColor = 1388,
  kLinePutRect = 1398,
};
constexpr int32_t kErrorFailed = 0;    // a read or write, or a refused raw form
constexpr int32_t kErrorNoBuffer = 8;  // Init or Assign could not reserve the buffer

void Check(bool bOk, int32_t iLine, int32_t iNumber = kErrorFailed) {
  if (!bOk) throw CZNError(iNumber, kSourceFile, iLine);
}
}  // namespace

void CZNMSG::Init(int16_t shType, int32_t iSize, int32_t iParam) {
  Check(TryInit(shType, iSize, iParam), kLineInit, kErrorNoBuffer);
}

void CZNMSG::Assign(const uint8_t* pRaw) {
  Check(IsRawAcceptable(pRaw, SIZE_MAX, INT32_MAX, nullptr), kLineAssign);
  Check(TryAssign(pRaw), kLineAssign, kErrorNoBuffer);
}

void CZNMSG::Assign(const uint8_t* pRaw, size_t nHeld) {
  Check(IsRawAcceptable(pRaw, nHeld, kMaxRawLength, nullptr), kLineAssign);
  Check(TryAssign(pRaw, nHeld), kLineAssign, kErrorNoBuffer);
}

void CZNMSG::GetBytes(void* pDest, int32_t n) { Check(ReadBytes(pDest, n), kLineGetBytes); }

int8_t CZNMSG::GetChar() {
  int8_t c = 0;
  Check(ReadChar(c), kLineGetChar);
  return c;
}

int16_t CZNMSG::GetShort() {
  int16_t sh = 0;
  Check(ReadShort(sh), kLineGetShort);
  return sh;
}

int32_t CZNMSG::GetInt() {
  int32_t i = 0;
  Check(ReadInt(i), kLineGetInt);
  return i;
}

std::string CZNMSG::GetString() {
  std::string s;
  Check(ReadString(s), kLineGetString);
  return s;
}

CZNTime CZNMSG::GetTime() {
  // A read overwrites every field, so any valid start will do; this one spares
  // a clock call.
  CZNTime time(platform::SystemTime{2000, 1, 6, 1, 0, 0, 0, 0});
  Check(ReadTime(time), kLineGetTime);
  return time;
}

CZNTimeSpan CZNMSG::GetTimeSpan() {
  CZNTimeSpan span;
  Check(ReadTimeSpan(span), kLineGetTimeSpan);
  return span;
}

uint32_t CZNMSG::GetColor() {
  uint32_t rgb = 0;
  Check(ReadColor(rgb), kLineGetColor);
  return rgb;
}

ZNRect CZNMSG::GetRect() {
  ZNRect rect;
  Check(ReadRect(rect), kLineGetRect);
  return rect;
}

void CZNMSG::PutBytes(const void* pSource, int32_t n) { Check(WriteBytes(pSource, n), kLinePutBytes); }
void CZNMSG::PutChar(int8_t cValue) { Check(WriteChar(cValue), kLinePutChar); }
void CZNMSG::PutShort(int16_t shValue) { Check(WriteShort(shValue), kLinePutShort); }
void CZNMSG::PutInt(int32_t iValue) { Check(WriteInt(iValue), kLinePutInt); }
void CZNMSG::PutString(const std::string& sValue) { Check(WriteString(sValue), kLinePutString); }
void CZNMSG::PutTime(const CZNTime& time) { Check(WriteTime(time), kLinePutTime); }
void CZNMSG::PutTimeSpan(const CZNTimeSpan& span) { Check(WriteTimeSpan(span), kLinePutTimeSpan); }
void CZNMSG::PutColor(uint32_t rgbColor) { Check(WriteColor(rgbColor), kLinePutColor); }
void CZNMSG::PutRect(int32_t iLeft, int32_t iTop, int32_t iRight, int32_t iBottom) {
  Check(WriteRect(iLeft, iTop, iRight, iBottom), kLinePutRect);
}
