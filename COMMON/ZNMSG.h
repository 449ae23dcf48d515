#ifndef KESTO_COMMON_ZNMSG_H
#define KESTO_COMMON_ZNMSG_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "COMMON/ZNRect.h"

class CZNTime;
class CZNTimeSpan;

// A binary message: an 8-byte header (tag, type: signed 16-bit; payload length:
// signed 32-bit; all little-endian) followed by typed items written one after
// the other and read back in order through one cursor.
//
// Every item has a reporting form (true or false, and a failed read leaves the
// sticky error flag set) and most have a throwing form that raises CZNError.
// Plain reads (bytes, 8/16/32-bit) ignore the error flag; composite reads
// (string, time, time span, colour, rectangle) fail at once while it is set
// and clear it when they succeed.
//
// Buffer ownership, the one rule: a buffer is either attached (the caller's
// bytes, given to the attaching constructor) or allocated by the message. The
// message never releases an attached buffer. It releases a buffer it
// allocated when a new one replaces it (growth, TryAssign, LoadRaw) and, when
// m_bOwnsBuffer is set, in its destructor; when m_bOwnsBuffer is clear the
// creator takes the last buffer through GetRaw and frees it with ZNFreeBytes.
//
// Raw forms from outside (a network, a file) go through the overloads that
// also take the number of bytes held: they refuse a header whose length is
// negative, above kMaxRawLength or longer than the bytes held, and never read
// past those bytes.
class CZNMSG {
 public:
  static constexpr int32_t kHeaderSize = 8;
  // Largest payload the attaching and sized constructors and the checked raw
  // entry points accept.
  static constexpr int32_t kMaxRawLength = 500000;
  // Longer strings are written whole but read back as empty.
  static constexpr int32_t kMaxReadString = 10000;

  explicit CZNMSG(bool bOwnsBuffer = true);
  // Works on pRaw in place. A length outside 0..kMaxRawLength leaves the
  // message empty (tag and type -1, no buffer).
  explicit CZNMSG(uint8_t* pRaw);
  CZNMSG(uint8_t* pRaw, size_t nHeld);
  CZNMSG(int16_t shTag, int16_t shType, int32_t iLength, int32_t iParam);
  CZNMSG(const CZNMSG&) = delete;
  CZNMSG& operator=(const CZNMSG&) = delete;
  virtual ~CZNMSG();

  // A copy on the heap for the caller to delete; null only when the heap is
  // exhausted. A message longer than kMaxRawLength, or one whose buffer
  // cannot be allocated, gives a copy with no buffer and length 0.
  CZNMSG* Clone() const;

  bool TryInit(int16_t shType, int32_t iSize, int32_t iParam);
  void Init(int16_t shType, int32_t iSize, int32_t iParam);  // throws CZNError 8
  // The single-argument forms trust pRaw to hold 8 + its stated length bytes.
  bool TryAssign(const uint8_t* pRaw);
  bool TryAssign(const uint8_t* pRaw, size_t nHeld);
  void Assign(const uint8_t* pRaw);                // throws CZNError 8
  void Assign(const uint8_t* pRaw, size_t nHeld);  // 0 when refused, 8 without memory
  void LoadRaw(const uint8_t* pRaw);
  bool LoadRaw(const uint8_t* pRaw, size_t nHeld);
  // Whether nHeld bytes at pRaw hold a whole raw form of at most iMaxLength
  // payload bytes; its length is stored in *piLength when they do.
  static bool IsRawAcceptable(const uint8_t* pRaw, size_t nHeld, int32_t iMaxLength, int32_t* piLength);

  void Rewind() { m_iPos = 0; }
  int16_t GetTag() const { return m_shTag; }
  void SetTag(int16_t shTag);
  int16_t GetType() const { return m_shType; }
  void SetType(int16_t shType);
  int32_t GetParam() const { return m_iParam; }
  int32_t GetLength() const { return m_iLength; }
  // Refuses (false, nothing changes) a length below 0 or beyond the payload room.
  bool SetLength(int32_t iLength);
  uint8_t* GetData() const;
  // Null without a buffer or when the cursor lies past the payload room.
  uint8_t* GetCursorData() const;
  int32_t GetPos() const { return m_iPos; }
  int32_t GetCapacity() const { return m_iCapacity; }
  bool HasError() const { return m_bError; }
  bool OwnsBuffer() const { return m_bOwnsBuffer; }
  bool IsAttached() const { return m_bAttached; }
  uint8_t* GetRaw();
  int32_t GetRawSize() const { return m_iLength + kHeaderSize; }
  bool IsEqual(const CZNMSG& other) const;
  bool Reserve(int32_t iSize);

  // Reporting forms.
  bool ReadBytes(void* pDest, int32_t n);
  bool ReadChar(int8_t& cValue);
  bool ReadByte(uint8_t& byValue);
  bool ReadShort(int16_t& shValue);
  bool ReadWord(uint16_t& wValue);
  bool ReadInt(int32_t& iValue);
  bool ReadString(std::string& sValue);
  // Replaces pBuffer (freed with ZNFreeChars when not null) by a new
  // zero-terminated buffer the caller frees with ZNFreeChars.
  bool ReadString(char*& pBuffer, int32_t& iLength);
  bool ReadTime(CZNTime& time);
  bool ReadShortTime(CZNTime& time);
  bool ReadTimeSpan(CZNTimeSpan& span);
  bool ReadColor(uint32_t& rgbColor);
  bool ReadRect(ZNRect& rect);

  bool WriteBytes(const void* pSource, int32_t n);
  bool WriteChar(int8_t cValue);
  bool WriteByte(uint8_t byValue);
  bool WriteShort(int16_t shValue);
  bool WriteWord(uint16_t wValue);
  bool WriteInt(int32_t iValue);
  bool WriteString(const std::string& sValue);
  bool WriteTime(const CZNTime& time);
  bool WriteShortTime(const CZNTime& time);
  bool WriteTimeSpan(const CZNTimeSpan& span);
  bool WriteColor(uint32_t rgbColor);
  bool WriteRect(int32_t iLeft, int32_t iTop, int32_t iRight, int32_t iBottom);

  // Throwing forms: CZNError 0 with "..\COMMON\znmsg" and the line of each.
  void GetBytes(void* pDest, int32_t n);
  int8_t GetChar();
  int16_t GetShort();
  int32_t GetInt();
  std::string GetString();
  CZNTime GetTime();
  CZNTimeSpan GetTimeSpan();
  uint32_t GetColor();
  ZNRect GetRect();

  void PutBytes(const void* pSource, int32_t n);
  void PutChar(int8_t cValue);
  void PutShort(int16_t shValue);
  void PutInt(int32_t iValue);
  void PutString(const std::string& sValue);
  void PutTime(const CZNTime& time);
  void PutTimeSpan(const CZNTimeSpan& span);
  void PutColor(uint32_t rgbColor);
  void PutRect(int32_t iLeft, int32_t iTop, int32_t iRight, int32_t iBottom);

 protected:
  // What the sized constructor does, for derived constructors that learn
  // their header late.
  void InitSized(int16_t shTag, int16_t shType, int32_t iLength, int32_t iParam);
  // Room for iSize payload bytes (64-bit so no sum wraps before the check).
  bool ReserveBytes(int64_t iSize);
  // Room for an item of iItem bytes at the cursor. Counted from the cursor when
  // it lies beyond the length, so the item always lands inside the buffer.
  bool ReserveItem(int64_t iItem);
  void StoreBytes(const void* pSource, int32_t n);  // at the cursor; room reserved
  void StorePadding(int32_t n, bool bClear);
  // Copies n bytes at the cursor out and advances it by iAdvance; false (and
  // the error flag) when fewer than n payload bytes remain.
  bool FetchBytes(void* pDest, int32_t n, int32_t iAdvance);
  void WriteHeaderTo(uint8_t* pHeader) const;
  void WriteLengthThrough();
  // Drops the buffer, releasing it unless it is attached.
  void DropBuffer();
  bool AssignFrom(const uint8_t* pRaw, size_t nHeld, int32_t iMaxLength);
  bool LoadFrom(const uint8_t* pRaw, size_t nHeld, int32_t iMaxLength);
  void AttachFrom(uint8_t* pRaw, size_t nHeld);

  int16_t m_shTag = -1;
  int16_t m_shType = -1;
  int32_t m_iLength = 0;
  int32_t m_iParam = 0;
  uint8_t* m_pBuffer = nullptr;
  int32_t m_iCapacity = 0;
  int32_t m_iPos = 0;
  bool m_bOwnsBuffer = true;
  bool m_bError = false;
  bool m_bAttached = false;  // m_pBuffer is the caller's: never released here
  uint8_t m_byHeader[kHeaderSize] = {};  // GetRaw's answer while there is no buffer
};

#endif
