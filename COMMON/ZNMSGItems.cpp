// The items without a time in them: blocks, plain values, strings, colours
// and rectangles.
#include <cstring>
#include <limits>
#include <new>

#include "COMMON/ZNBuffer.h"
#include "COMMON/ZNLittleEndian.h"
#include "COMMON/ZNMSG.h"

namespace {

int64_t Round4(int64_t n) { return (n + 3) & ~int64_t{3}; }

constexpr int32_t kColorSize = 12;
constexpr int32_t kRectSize = 16;

}  // namespace

void CZNMSG::StoreBytes(const void* pSource, int32_t n) {
  if (n > 0) std::memcpy(m_pBuffer + kHeaderSize + m_iPos, pSource, n);
  m_iPos += n;
  m_iLength = m_iPos;
}

void CZNMSG::StorePadding(int32_t n, bool bClear) {
  if (bClear && n > 0) std::memset(m_pBuffer + kHeaderSize + m_iPos, 0, n);
  m_iPos += n;
  m_iLength = m_iPos;
}

bool CZNMSG::FetchBytes(void* pDest, int32_t n, int32_t iAdvance) {
  if (n < 0 || static_cast<int64_t>(m_iPos) + n > m_iLength) {
    m_bError = true;
    return false;
  }
  if (n > 0) std::memcpy(pDest, m_pBuffer + kHeaderSize + m_iPos, n);
  m_iPos += iAdvance;
  return true;
}

bool CZNMSG::ReadBytes(void* pDest, int32_t n) {
  if (n < 0 || n > std::numeric_limits<int32_t>::max() - 3) {
    m_bError = true;
    return false;
  }
  return FetchBytes(pDest, n, static_cast<int32_t>(Round4(n)));
}

bool CZNMSG::ReadChar(int8_t& cValue) {
  uint8_t by = 0;
  if (!FetchBytes(&by, 1, 1)) return false;
  cValue = static_cast<int8_t>(by);
  return true;
}

bool CZNMSG::ReadByte(uint8_t& byValue) { return FetchBytes(&byValue, 1, 1); }

bool CZNMSG::ReadWord(uint16_t& wValue) {
  uint8_t by[2];
  if (!FetchBytes(by, 2, 2)) return false;
  wValue = zn_le::Get16(by);
  return true;
}

bool CZNMSG::ReadShort(int16_t& shValue) {
  uint16_t w = 0;
  if (!ReadWord(w)) return false;
  shValue = static_cast<int16_t>(w);
  return true;
}

bool CZNMSG::ReadInt(int32_t& iValue) {
  uint8_t by[4];
  if (!FetchBytes(by, 4, 4)) return false;
  iValue = static_cast<int32_t>(zn_le::Get32(by));
  return true;
}

bool CZNMSG::ReadString(std::string& sValue) {
  if (m_bError) return false;
  m_bError = true;
  int32_t n = 0;
  if (!ReadInt(n)) return false;
  if (n < 0 || static_cast<int64_t>(m_iPos) + n > m_iLength) return false;
  if (n == 0 || n > kMaxReadString) {
    sValue.clear();
  } else {
    try {
      sValue.assign(reinterpret_cast<const char*>(m_pBuffer + kHeaderSize + m_iPos), n);
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  m_iPos = static_cast<int32_t>(m_iPos + Round4(n));
  m_bError = false;
  return true;
}

bool CZNMSG::ReadString(char*& pBuffer, int32_t& iLength) {
  if (m_bError) return false;
  m_bError = true;
  int32_t n = 0;
  const bool bHaveLength = ReadInt(n);
  iLength = 0;
  if (!bHaveLength) return false;
  if (n < 0 || static_cast<int64_t>(m_iPos) + n > m_iLength) return false;
  const bool bKept = n > 0 && n <= kMaxReadString;
  ZNFreeChars(pBuffer);
  pBuffer = ZNAllocChars(static_cast<size_t>(bKept ? n : 0) + 1);
  if (pBuffer == nullptr) return false;
  if (bKept) {
    std::memcpy(pBuffer, m_pBuffer + kHeaderSize + m_iPos, n);
    iLength = n;
  }
  m_iPos = static_cast<int32_t>(m_iPos + Round4(n));
  m_bError = false;
  return true;
}

bool CZNMSG::ReadColor(uint32_t& rgbColor) {
  if (m_bError) return false;
  m_bError = true;
  int32_t iR = 0, iG = 0, iB = 0;
  if (!ReadInt(iR) || !ReadInt(iG) || !ReadInt(iB)) return false;
  rgbColor = (static_cast<uint32_t>(iR) & 0xFF) | (static_cast<uint32_t>(iG) & 0xFF) << 8 |
             (static_cast<uint32_t>(iB) & 0xFF) << 16;
  m_bError = false;
  return true;
}

bool CZNMSG::ReadRect(ZNRect& rect) {
  if (m_bError) return false;
  m_bError = true;
  int32_t iXLeft = 0, iYTop = 0, iDX = 0, iDY = 0;
  if (!ReadInt(iXLeft) || !ReadInt(iYTop) || !ReadInt(iDX) || !ReadInt(iDY)) return false;
  // Unsigned sums wrap instead of overflowing, so any four words read back as
  // the edges they were written from.
  rect.left = iXLeft;
  rect.top = iYTop;
  rect.right = static_cast<int32_t>(static_cast<uint32_t>(iXLeft) + static_cast<uint32_t>(iDX) - 1u);
  rect.bottom = static_cast<int32_t>(static_cast<uint32_t>(iYTop) + static_cast<uint32_t>(iDY) - 1u);
  m_bError = false;
  return true;
}

bool CZNMSG::WriteBytes(const void* pSource, int32_t n) {
  if (n < 0 || !ReserveItem(Round4(n))) return false;
  StoreBytes(pSource, n);
  StorePadding(static_cast<int32_t>(Round4(n) - n), false);
  return true;
}

bool CZNMSG::WriteChar(int8_t cValue) { return WriteByte(static_cast<uint8_t>(cValue)); }

bool CZNMSG::WriteByte(uint8_t byValue) {
  if (!ReserveItem(1)) return false;
  StoreBytes(&byValue, 1);
  return true;
}

bool CZNMSG::WriteShort(int16_t shValue) { return WriteWord(static_cast<uint16_t>(shValue)); }

bool CZNMSG::WriteWord(uint16_t wValue) {
  if (!ReserveItem(2)) return false;
  uint8_t by[2];
  zn_le::Put16(by, wValue);
  StoreBytes(by, 2);
  return true;
}

bool CZNMSG::WriteInt(int32_t iValue) {
  if (!ReserveItem(4)) return false;
  uint8_t by[4];
  zn_le::Put32(by, static_cast<uint32_t>(iValue));
  StoreBytes(by, 4);
  return true;
}

bool CZNMSG::WriteString(const std::string& sValue) {
  if (sValue.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return false;
  const int32_t n = static_cast<int32_t>(sValue.size());
  if (!ReserveItem(4 + Round4(n))) return false;
  WriteInt(n);
  StoreBytes(sValue.data(), n);
  StorePadding(static_cast<int32_t>(Round4(n) - n), true);
  return true;
}

bool CZNMSG::WriteColor(uint32_t rgbColor) {
  if (!ReserveItem(kColorSize)) return false;
  WriteInt(static_cast<int32_t>(rgbColor & 0xFF));
  WriteInt(static_cast<int32_t>((rgbColor >> 8) & 0xFF));
  WriteInt(static_cast<int32_t>((rgbColor >> 16) & 0xFF));
  return true;
}

bool CZNMSG::WriteRect(int32_t iLeft, int32_t iTop, int32_t iRight, int32_t iBottom) {
  if (!ReserveItem(kRectSize)) return false;
  WriteInt(iLeft);
  WriteInt(iTop);
  WriteInt(static_cast<int32_t>(static_cast<uint32_t>(iRight) - static_cast<uint32_t>(iLeft) + 1u));
  WriteInt(static_cast<int32_t>(static_cast<uint32_t>(iBottom) - static_cast<uint32_t>(iTop) + 1u));
  return true;
}
