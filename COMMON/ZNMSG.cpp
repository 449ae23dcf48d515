#include "COMMON/ZNMSG.h"

#include <cstring>
#include <limits>
#include <new>

#include "COMMON/ZNBuffer.h"
#include "COMMON/ZNLittleEndian.h"

namespace {
constexpr int64_t kGrowthStep = 64;
constexpr int32_t kNoMaximum = std::numeric_limits<int32_t>::max();
constexpr size_t kHeldUnknown = std::numeric_limits<size_t>::max();

// The smallest multiple of 64 strictly above iSize payload bytes plus the
// header, or 0 when that does not fit a 32-bit capacity.
int32_t GrownCapacity(int64_t iSize) {
  const int64_t iCapacity = ((iSize + CZNMSG::kHeaderSize) / kGrowthStep + 1) * kGrowthStep;
  return iCapacity <= std::numeric_limits<int32_t>::max() ? static_cast<int32_t>(iCapacity) : 0;
}

uint8_t* AllocCapacity(int32_t iCapacity) {
  return iCapacity > 0 ? ZNAllocBytes(static_cast<size_t>(iCapacity)) : nullptr;
}
}  // namespace

CZNMSG::CZNMSG(bool bOwnsBuffer) : m_bOwnsBuffer(bOwnsBuffer) {}

CZNMSG::CZNMSG(uint8_t* pRaw) : m_iParam(1), m_bOwnsBuffer(false) { AttachFrom(pRaw, kHeldUnknown); }

CZNMSG::CZNMSG(uint8_t* pRaw, size_t nHeld) : m_iParam(1), m_bOwnsBuffer(false) { AttachFrom(pRaw, nHeld); }

CZNMSG::CZNMSG(int16_t shTag, int16_t shType, int32_t iLength, int32_t iParam) {
  InitSized(shTag, shType, iLength, iParam);
}

CZNMSG::~CZNMSG() {
  if (m_bOwnsBuffer) DropBuffer();
}

void CZNMSG::InitSized(int16_t shTag, int16_t shType, int32_t iLength, int32_t iParam) {
  m_shTag = shTag;
  m_shType = shType;
  m_iParam = iParam;
  m_iPos = 0;
  // Owning even when the length is refused: buffers a later write allocates
  // are then still released by the destructor.
  m_bOwnsBuffer = true;
  m_iLength = 0;
  if (iLength < 0 || iLength > kMaxRawLength) return;
  m_iLength = iLength;
  if (!ReserveBytes(iLength)) m_iLength = 0;
}

void CZNMSG::AttachFrom(uint8_t* pRaw, size_t nHeld) {
  int32_t iLength = 0;
  if (!IsRawAcceptable(pRaw, nHeld, kMaxRawLength, &iLength)) return;
  m_shTag = static_cast<int16_t>(zn_le::Get16(pRaw));
  m_shType = static_cast<int16_t>(zn_le::Get16(pRaw + 2));
  m_iLength = iLength;
  m_pBuffer = pRaw;
  m_bAttached = true;
  m_iCapacity = iLength + kHeaderSize;
  m_iPos = 0;
}

bool CZNMSG::IsRawAcceptable(const uint8_t* pRaw, size_t nHeld, int32_t iMaxLength, int32_t* piLength) {
  if (pRaw == nullptr || nHeld < static_cast<size_t>(kHeaderSize)) return false;
  const int32_t iLength = static_cast<int32_t>(zn_le::Get32(pRaw + 4));
  if (iLength < 0 || iLength > iMaxLength) return false;
  if (static_cast<uint64_t>(iLength) + kHeaderSize > nHeld) return false;
  if (piLength != nullptr) *piLength = iLength;
  return true;
}

CZNMSG* CZNMSG::Clone() const {
  CZNMSG* pCopy = new (std::nothrow) CZNMSG(m_shTag, m_shType, m_iLength, 1);
  if (pCopy == nullptr || pCopy->m_pBuffer == nullptr) return pCopy;
  // The sized constructor made room for this length; copy no more than it.
  WriteHeaderTo(pCopy->m_pBuffer);
  if (m_iLength > 0) std::memcpy(pCopy->m_pBuffer + kHeaderSize, m_pBuffer + kHeaderSize, m_iLength);
  return pCopy;
}

bool CZNMSG::Reserve(int32_t iSize) { return ReserveBytes(iSize); }

bool CZNMSG::ReserveBytes(int64_t iSize) {
  if (iSize < 0) return false;
  const int64_t iNeed = iSize + kHeaderSize;
  if (iNeed <= m_iCapacity) return true;
  const int32_t iNewCapacity = GrownCapacity(iSize);
  uint8_t* pNew = AllocCapacity(iNewCapacity);
  if (pNew == nullptr) return false;
  if (m_pBuffer == nullptr) {
    WriteHeaderTo(pNew);
  } else {
    std::memcpy(pNew, m_pBuffer, m_iCapacity);
    DropBuffer();
  }
  m_pBuffer = pNew;
  m_iCapacity = iNewCapacity;
  return true;
}

bool CZNMSG::ReserveItem(int64_t iItem) {
  const int64_t iStart = m_iPos > m_iLength ? m_iPos : m_iLength;
  return ReserveBytes(iStart + iItem);
}

void CZNMSG::DropBuffer() {
  if (!m_bAttached) ZNFreeBytes(m_pBuffer);
  m_pBuffer = nullptr;
  m_bAttached = false;
  m_iCapacity = 0;
}

bool CZNMSG::TryInit(int16_t shType, int32_t iSize, int32_t iParam) {
  m_shType = shType;
  m_iParam = iParam;
  m_iLength = 0;
  m_iPos = 0;
  WriteLengthThrough();
  if (m_pBuffer != nullptr) zn_le::Put16(m_pBuffer + 2, static_cast<uint16_t>(m_shType));
  return Reserve(iSize);
}

bool CZNMSG::TryAssign(const uint8_t* pRaw) { return AssignFrom(pRaw, kHeldUnknown, kNoMaximum); }

bool CZNMSG::TryAssign(const uint8_t* pRaw, size_t nHeld) { return AssignFrom(pRaw, nHeld, kMaxRawLength); }

bool CZNMSG::AssignFrom(const uint8_t* pRaw, size_t nHeld, int32_t iMaxLength) {
  int32_t iLength = 0;
  if (!IsRawAcceptable(pRaw, nHeld, iMaxLength, &iLength)) return false;
  const int16_t shTag = static_cast<int16_t>(zn_le::Get16(pRaw));
  const int16_t shType = static_cast<int16_t>(zn_le::Get16(pRaw + 2));
  // An attached buffer stays the caller's, and pRaw may lie inside the
  // current buffer: copy into a buffer of our own before releasing the old.
  const bool bReplace = m_bAttached || static_cast<int64_t>(iLength) + kHeaderSize > m_iCapacity;
  uint8_t* pTarget = m_pBuffer;
  int32_t iCapacity = m_iCapacity;
  if (bReplace) {
    iCapacity = GrownCapacity(iLength);
    pTarget = AllocCapacity(iCapacity);
    if (pTarget == nullptr) {
      m_bOwnsBuffer = true;
      m_iLength = 0;
      m_iPos = 0;
      WriteLengthThrough();
      return false;
    }
  }
  std::memmove(pTarget + kHeaderSize, pRaw + kHeaderSize, iLength);
  if (bReplace) DropBuffer();
  m_pBuffer = pTarget;
  m_iCapacity = iCapacity;
  m_bOwnsBuffer = true;
  m_shTag = shTag;
  m_shType = shType;
  m_iLength = iLength;
  m_iPos = 0;
  WriteHeaderTo(m_pBuffer);
  return true;
}

void CZNMSG::LoadRaw(const uint8_t* pRaw) { LoadFrom(pRaw, kHeldUnknown, kNoMaximum); }

bool CZNMSG::LoadRaw(const uint8_t* pRaw, size_t nHeld) { return LoadFrom(pRaw, nHeld, kMaxRawLength); }

bool CZNMSG::LoadFrom(const uint8_t* pRaw, size_t nHeld, int32_t iMaxLength) {
  int32_t iLength = 0;
  if (!IsRawAcceptable(pRaw, nHeld, iMaxLength, &iLength)) return false;
  const int32_t iNewCapacity = GrownCapacity(iLength);
  uint8_t* pNew = AllocCapacity(iNewCapacity);
  m_shTag = static_cast<int16_t>(zn_le::Get16(pRaw));
  m_shType = static_cast<int16_t>(zn_le::Get16(pRaw + 2));
  if (pNew != nullptr) std::memcpy(pNew + kHeaderSize, pRaw + kHeaderSize, iLength);
  // pRaw may have been this message's own buffer: release it only now.
  DropBuffer();
  m_bOwnsBuffer = true;
  m_iParam = 0;
  m_iPos = 0;
  if (pNew == nullptr) {
    m_iLength = 0;
    return false;  // heap exhausted: tag and type taken, no buffer, length 0
  }
  m_pBuffer = pNew;
  m_iCapacity = iNewCapacity;
  m_iLength = iLength;
  WriteHeaderTo(m_pBuffer);
  return true;
}

void CZNMSG::SetTag(int16_t shTag) {
  if (m_pBuffer == nullptr) return;
  m_shTag = shTag;
  zn_le::Put16(m_pBuffer, static_cast<uint16_t>(shTag));
}

void CZNMSG::SetType(int16_t shType) {
  if (m_pBuffer == nullptr) return;
  m_shType = shType;
  zn_le::Put16(m_pBuffer + 2, static_cast<uint16_t>(shType));
}

bool CZNMSG::SetLength(int32_t iLength) {
  const int32_t iRoom = m_pBuffer != nullptr ? m_iCapacity - kHeaderSize : 0;
  if (iLength < 0 || iLength > iRoom) return false;
  m_iLength = iLength;
  WriteLengthThrough();
  return true;
}

uint8_t* CZNMSG::GetData() const { return m_pBuffer != nullptr ? m_pBuffer + kHeaderSize : nullptr; }

uint8_t* CZNMSG::GetCursorData() const {
  // A block or string read may leave the cursor a few bytes past the room.
  if (m_pBuffer == nullptr || m_iPos > m_iCapacity - kHeaderSize) return nullptr;
  return m_pBuffer + kHeaderSize + m_iPos;
}

uint8_t* CZNMSG::GetRaw() {
  uint8_t* pHeader = m_pBuffer != nullptr ? m_pBuffer : m_byHeader;
  WriteHeaderTo(pHeader);
  return pHeader;
}

bool CZNMSG::IsEqual(const CZNMSG& other) const {
  if (m_iLength != other.m_iLength || m_shType != other.m_shType) return false;
  if (m_iLength == 0) return true;
  return std::memcmp(m_pBuffer + kHeaderSize, other.m_pBuffer + kHeaderSize, m_iLength) == 0;
}

void CZNMSG::WriteHeaderTo(uint8_t* pHeader) const {
  zn_le::Put16(pHeader, static_cast<uint16_t>(m_shTag));
  zn_le::Put16(pHeader + 2, static_cast<uint16_t>(m_shType));
  zn_le::Put32(pHeader + 4, static_cast<uint32_t>(m_iLength));
}

void CZNMSG::WriteLengthThrough() {
  if (m_pBuffer != nullptr) zn_le::Put32(m_pBuffer + 4, static_cast<uint32_t>(m_iLength));
}
