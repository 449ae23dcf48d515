// The header, the raw form and the entry points that take one, the buffer's
// growth and ownership.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "COMMON/ZNBuffer.h"
#include "COMMON/ZNError.h"
#include "COMMON/ZNMSG.h"
#include "support/AllocFailure.h"
#include "support/DebugCapture.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes RawHeader(int16_t shTag, int16_t shType, int32_t iLength) {
  Bytes raw(8);
  raw[0] = static_cast<uint8_t>(shTag);
  raw[1] = static_cast<uint8_t>(static_cast<uint16_t>(shTag) >> 8);
  raw[2] = static_cast<uint8_t>(shType);
  raw[3] = static_cast<uint8_t>(static_cast<uint16_t>(shType) >> 8);
  for (int i = 0; i < 4; ++i) raw[4 + i] = static_cast<uint8_t>(static_cast<uint32_t>(iLength) >> (8 * i));
  return raw;
}

Bytes RawOf(CZNMSG& msg) {
  const uint8_t* p = msg.GetRaw();
  return Bytes(p, p + msg.GetRawSize());
}

}  // namespace

TEST(ZNMSGRawFormTest, KnownMessageHasExactBytes) {
  CZNMSG msg(0x0102, 0x0304, 0, 0);
  msg.WriteInt(0x11223344);
  msg.WriteShort(-2);
  msg.WriteByte(7);
  msg.WriteString("abc");
  const Bytes expected = {0x02, 0x01, 0x04, 0x03, 0x0F, 0x00, 0x00, 0x00, 0x44, 0x33, 0x22, 0x11,
                          0xFE, 0xFF, 0x07, 0x03, 0x00, 0x00, 0x00, 0x61, 0x62, 0x63, 0x00};
  EXPECT_EQ(msg.GetLength(), 15);
  EXPECT_EQ(msg.GetRawSize(), 23);
  EXPECT_EQ(RawOf(msg), expected);
}

TEST(ZNMSGRawFormTest, MessageWithoutBufferGivesItsHeader) {
  CZNMSG msg(true);
  EXPECT_EQ(msg.GetData(), nullptr);
  EXPECT_EQ(RawOf(msg), RawHeader(-1, -1, 0));
  CZNMSG oversize(3, 4, CZNMSG::kMaxRawLength + 1, 0);
  EXPECT_EQ(oversize.GetLength(), 0);
  EXPECT_EQ(RawOf(oversize), RawHeader(3, 4, 0));
}

TEST(ZNMSGRawFormTest, SizedConstructorPresetsLengthUntilFirstWrite) {
  CZNMSG msg(1, 2, 128, 9);
  EXPECT_EQ(msg.GetLength(), 128);
  EXPECT_EQ(msg.GetParam(), 9);
  EXPECT_EQ(msg.GetCapacity(), 192);  // 136 rounded up past the next 64-byte step
  msg.WriteShort(5);
  EXPECT_EQ(msg.GetLength(), 2);
}

TEST(ZNMSGRawFormTest, ReserveGrowsInStepsOf64PastTheNeed) {
  struct Row {
    int32_t iSize;
    int32_t iCapacity;
  };
  for (const Row& row : {Row{0, 64}, Row{55, 64}, Row{56, 128}, Row{92, 128}, Row{120, 192}}) {
    CZNMSG msg(true);
    ASSERT_TRUE(msg.Reserve(row.iSize));
    EXPECT_EQ(msg.GetCapacity(), row.iCapacity) << "size " << row.iSize;
  }
  CZNMSG msg(true);
  EXPECT_FALSE(msg.Reserve(-1));
  EXPECT_FALSE(msg.Reserve(std::numeric_limits<int32_t>::max()));  // capacity would pass 2^31
  EXPECT_EQ(msg.GetCapacity(), 0);
}

TEST(ZNMSGRawFormTest, RewindThenWriteCutsThePayload) {
  CZNMSG msg(0, 0, 0, 0);
  for (int i = 0; i < 5; ++i) msg.WriteInt(i);
  ASSERT_EQ(msg.GetLength(), 20);
  msg.Rewind();
  msg.WriteInt(42);
  EXPECT_EQ(msg.GetLength(), 4);
}

TEST(ZNMSGRawFormTest, TagAndTypeSettersNeedABuffer) {
  CZNMSG msg(false);
  msg.SetType(5);
  msg.SetTag(6);
  EXPECT_EQ(msg.GetType(), -1);
  EXPECT_EQ(msg.GetTag(), -1);
  msg.WriteByte(1);
  msg.SetType(5);
  msg.SetTag(6);
  EXPECT_EQ(msg.GetType(), 5);
  EXPECT_EQ(msg.GetTag(), 6);
  EXPECT_EQ(msg.GetData()[-6], 5);  // header bytes 2-3 written through
  EXPECT_EQ(msg.GetData()[-8], 6);
  // Not owning: the creator takes the buffer.
  ZNFreeBytes(msg.GetRaw());
}

TEST(ZNMSGRawFormTest, SetLengthRefusesBeyondThePayloadRoom) {
  CZNMSG msg(true);
  EXPECT_FALSE(msg.SetLength(1));  // no buffer: no room at all
  EXPECT_TRUE(msg.SetLength(0));
  msg.WriteInt(1);
  EXPECT_TRUE(msg.SetLength(56));
  EXPECT_FALSE(msg.SetLength(57));
  EXPECT_FALSE(msg.SetLength(-1));
  EXPECT_EQ(msg.GetLength(), 56);
}

TEST(ZNMSGRawFormTest, IsEqualComparesTypeLengthAndPayloadOnly) {
  CZNMSG a(1, 7, 0, 10);
  CZNMSG b(2, 7, 0, 20);
  a.WriteInt(99);
  b.WriteInt(99);
  EXPECT_TRUE(a.IsEqual(b));
  b.SetType(8);
  EXPECT_FALSE(a.IsEqual(b));
  b.SetType(7);
  b.Rewind();
  b.WriteInt(98);
  EXPECT_FALSE(a.IsEqual(b));
  CZNMSG empty1(true), empty2(false);
  EXPECT_TRUE(empty1.IsEqual(empty2));
}

// Attaching works in place and takes tag, type and length from the header.
TEST(ZNMSGRawFormTest, AttachReadsInPlace) {
  Bytes raw = {0x05, 0x00, 0x06, 0x00, 0x04, 0x00, 0x00, 0x00, 0x2A, 0x00, 0x00, 0x00};
  CZNMSG msg(raw.data(), raw.size());
  EXPECT_EQ(msg.GetTag(), 5);
  EXPECT_EQ(msg.GetType(), 6);
  EXPECT_EQ(msg.GetLength(), 4);
  EXPECT_EQ(msg.GetParam(), 1);
  EXPECT_EQ(msg.GetData(), raw.data() + 8);
  EXPECT_TRUE(msg.IsAttached());
  EXPECT_EQ(msg.GetInt(), 42);
}

TEST(ZNMSGRawFormTest, CheckedEntryPointsRefuseBadHeaders) {
  DebugCapture quiet;  // the thrown errors' lines
  struct Row {
    const char* pszWhat;
    int32_t iLength;   // header length
    size_t nHeld;      // bytes actually there
  };
  const Row rows[] = {
      {"negative length", -1, 64},
      {"most negative length", std::numeric_limits<int32_t>::min(), 64},
      {"length beyond the bytes held", 57, 64},
      {"length above the maximum", CZNMSG::kMaxRawLength + 1, CZNMSG::kMaxRawLength + 9},
      {"huge length", std::numeric_limits<int32_t>::max(), 64},
      {"header cut short", 0, 7},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.pszWhat);
    Bytes raw = RawHeader(3, 4, row.iLength);
    raw.resize(std::max<size_t>(row.nHeld, 8));

    CZNMSG attached(raw.data(), row.nHeld);
    EXPECT_EQ(attached.GetData(), nullptr);
    EXPECT_EQ(attached.GetTag(), -1);
    EXPECT_EQ(attached.GetType(), -1);
    EXPECT_EQ(attached.GetLength(), 0);

    CZNMSG assigned(9, 9, 0, 0);
    assigned.WriteInt(77);
    EXPECT_FALSE(assigned.TryAssign(raw.data(), row.nHeld));
    EXPECT_EQ(assigned.GetLength(), 4);  // refused: nothing taken
    EXPECT_EQ(assigned.GetTag(), 9);

    CZNMSG loaded(true);
    EXPECT_FALSE(loaded.LoadRaw(raw.data(), row.nHeld));
    EXPECT_EQ(loaded.GetData(), nullptr);

    try {
      assigned.Assign(raw.data(), row.nHeld);
      ADD_FAILURE() << "Assign took a bad header";
    } catch (const CZNError& e) {
      EXPECT_EQ(e.m_iNumber, 0);
      EXPECT_EQ(e.m_iLine, 1196);
    }
  }
  EXPECT_FALSE(CZNMSG(true).LoadRaw(nullptr, 100));
}

TEST(ZNMSGRawFormTest, CheckedEntryPointsTakeTheLargestLength) {
  Bytes raw = RawHeader(1, 2, CZNMSG::kMaxRawLength);
  raw.resize(raw.size() + CZNMSG::kMaxRawLength, 0xAB);
  CZNMSG attached(raw.data(), raw.size());
  EXPECT_EQ(attached.GetLength(), CZNMSG::kMaxRawLength);
  CZNMSG loaded(true);
  EXPECT_TRUE(loaded.LoadRaw(raw.data(), raw.size()));
  EXPECT_TRUE(loaded.IsEqual(attached));
}

// Unchecked attach keeps its own range check: 500,001 and -1 give an empty message.
TEST(ZNMSGRawFormTest, AttachRefusesLengthOutsideRange) {
  for (int32_t iLength : {CZNMSG::kMaxRawLength + 1, -1}) {
    Bytes raw = RawHeader(3, 4, iLength);
    CZNMSG msg(raw.data());
    EXPECT_EQ(msg.GetTag(), -1);
    EXPECT_EQ(msg.GetType(), -1);
    EXPECT_EQ(msg.GetData(), nullptr);
  }
}

TEST(ZNMSGRawFormTest, UncheckedAssignAndLoadRefuseNegativeLength) {
  DebugCapture quiet;  // the thrown errors' lines
  Bytes raw = RawHeader(3, 4, -8);
  CZNMSG msg(true);
  EXPECT_FALSE(msg.TryAssign(raw.data()));
  msg.LoadRaw(raw.data());
  EXPECT_EQ(msg.GetData(), nullptr);
  EXPECT_EQ(msg.GetLength(), 0);
  try {
    msg.Assign(raw.data());
    ADD_FAILURE() << "Assign took a negative length";
  } catch (const CZNError& e) {
    EXPECT_EQ(e.m_iNumber, 0);
  }
}

TEST(ZNMSGRawFormTest, AssignAndLoadCopyTheRawForm) {
  CZNMSG source(0x0102, 0x0304, 0, 0);
  source.WriteInt(0x11223344);
  source.WriteString("abc");
  const Bytes raw = RawOf(source);

  CZNMSG assigned(false);
  ASSERT_TRUE(assigned.TryAssign(raw.data(), raw.size()));
  EXPECT_TRUE(assigned.OwnsBuffer());  // assigning makes the message own its buffer
  EXPECT_EQ(RawOf(assigned), raw);
  EXPECT_EQ(assigned.GetPos(), 0);

  CZNMSG loaded(true);
  loaded.WriteInt(5);
  int32_t iIgnored = 0;
  loaded.ReadInt(iIgnored);  // fails at the end: sets the error flag
  ASSERT_TRUE(loaded.LoadRaw(raw.data(), raw.size()));
  EXPECT_EQ(RawOf(loaded), raw);
  EXPECT_EQ(loaded.GetParam(), 0);
  EXPECT_TRUE(loaded.HasError());  // left as it was
}

TEST(ZNMSGRawFormTest, AssignFromItsOwnRawForm) {
  CZNMSG msg(1, 2, 0, 0);
  msg.WriteString("payload");
  const Bytes before = RawOf(msg);
  ASSERT_TRUE(msg.TryAssign(msg.GetRaw(), msg.GetRawSize()));
  EXPECT_EQ(RawOf(msg), before);
  ASSERT_TRUE(msg.LoadRaw(msg.GetRaw(), msg.GetRawSize()));
  EXPECT_EQ(RawOf(msg), before);
}

// The caller's bytes are never released by the message, whether a write makes
// it grow, TryAssign replaces them or the message is destroyed; ASan would
// report a bad free of this stack buffer.
TEST(ZNMSGRawFormTest, AttachedBufferIsNeverReleased) {
  uint8_t raw[12] = {0x01, 0x00, 0x02, 0x00, 0x04, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00};
  {
    CZNMSG msg(raw, sizeof raw);
    int32_t iValue = 0;
    ASSERT_TRUE(msg.ReadInt(iValue));
    ASSERT_TRUE(msg.WriteInt(8));  // grows out of the 12 bytes
    EXPECT_NE(msg.GetData(), raw + 8);
    EXPECT_EQ(msg.GetLength(), 8);
    ZNFreeBytes(msg.GetRaw());  // grown while not owning: the creator takes it
  }
  {
    CZNMSG msg(raw, sizeof raw);
    const uint8_t other[12] = {0x03, 0x00, 0x04, 0x00, 0x04, 0x00, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00};
    ASSERT_TRUE(msg.TryAssign(other, sizeof other));
    EXPECT_FALSE(msg.IsAttached());
    EXPECT_EQ(msg.GetInt(), 9);
  }
  {
    CZNMSG msg(raw, sizeof raw);
    msg.Rewind();
    ASSERT_TRUE(msg.WriteInt(-1));  // room is counted past the length: a new buffer
    EXPECT_FALSE(msg.IsAttached());
    ZNFreeBytes(msg.GetRaw());
  }
  EXPECT_EQ(raw[8], 0x07);
}

TEST(ZNMSGRawFormTest, WriteWithCursorBeyondLengthGrowsFromTheCursor) {
  // A block read may leave the cursor past the length; an attached buffer has
  // no room beyond its length.
  uint8_t raw[11] = {0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 1, 2, 3};
  CZNMSG msg(raw, sizeof raw);
  uint8_t by[3];
  ASSERT_TRUE(msg.ReadBytes(by, 3));
  ASSERT_EQ(msg.GetPos(), 4);
  EXPECT_EQ(msg.GetCursorData(), nullptr);  // past the 3 bytes of room
  ASSERT_TRUE(msg.WriteInt(0x01020304));
  EXPECT_EQ(msg.GetLength(), 8);
  EXPECT_GE(msg.GetCapacity(), 16);
  ZNFreeBytes(msg.GetRaw());

  CZNMSG owned(0, 0, 0, 0);
  for (int i = 0; i < 14; ++i) owned.WriteInt(i);  // 56 bytes: a full 64-byte buffer
  owned.Rewind();
  int32_t i = 0;
  for (int k = 0; k < 14; ++k) owned.ReadInt(i);
  ASSERT_TRUE(owned.SetLength(0));
  ASSERT_TRUE(owned.WriteInt(99));  // at cursor 56, beyond length 0
  EXPECT_EQ(owned.GetLength(), 60);
  EXPECT_EQ(owned.GetCapacity(), 128);
}

TEST(ZNMSGRawFormTest, CloneCopiesTheRawForm) {
  CZNMSG msg(4, 5, 0, 6);
  msg.WriteString("clone me");
  std::unique_ptr<CZNMSG> copy(msg.Clone());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(RawOf(*copy), RawOf(msg));
  EXPECT_EQ(copy->GetParam(), 1);
  EXPECT_EQ(copy->GetPos(), 0);
  EXPECT_EQ(copy->GetString(), "clone me");
}

// A message may grow past the sized constructor's limit by writes; its copy
// then gets no buffer rather than a copy past its storage.
TEST(ZNMSGRawFormTest, CloneOfOversizeOrWithoutMemoryIsEmpty) {
  CZNMSG big(1, 2, 0, 0);
  std::vector<uint8_t> block(CZNMSG::kMaxRawLength + 4, 0x5A);
  ASSERT_TRUE(big.WriteBytes(block.data(), static_cast<int32_t>(block.size())));
  std::unique_ptr<CZNMSG> copy(big.Clone());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetData(), nullptr);
  EXPECT_EQ(copy->GetLength(), 0);

  CZNMSG small(1, 2, 0, 0);
  small.WriteInt(3);
  AllocFailure failing(64);
  std::unique_ptr<CZNMSG> copy2(small.Clone());
  ASSERT_NE(copy2, nullptr);
  EXPECT_EQ(copy2->GetData(), nullptr);
  EXPECT_EQ(copy2->GetLength(), 0);
}

// Failure table: memory exhausted.
TEST(ZNMSGRawFormTest, ExhaustedMemory) {
  DebugCapture quiet;  // the thrown errors' lines
  {
    AllocFailure failing;
    CZNMSG sized(1, 2, 100, 0);
    EXPECT_EQ(sized.GetData(), nullptr);
    EXPECT_EQ(sized.GetLength(), 0);
  }
  CZNMSG msg(1, 2, 0, 0);
  for (int i = 0; i < 14; ++i) msg.WriteInt(i);
  uint8_t* pBuffer = msg.GetData();
  {
    AllocFailure failing;
    EXPECT_FALSE(msg.WriteInt(14));  // needs a second 64 bytes
    EXPECT_EQ(msg.GetLength(), 56);
    EXPECT_EQ(msg.GetPos(), 56);
    EXPECT_EQ(msg.GetCapacity(), 64);
    EXPECT_EQ(msg.GetData(), pBuffer);

    CZNMSG other(true);
    const Bytes raw = RawOf(msg);
    EXPECT_FALSE(other.TryAssign(raw.data(), raw.size()));
    EXPECT_EQ(other.GetLength(), 0);
    try {
      other.Assign(raw.data(), raw.size());
      ADD_FAILURE();
    } catch (const CZNError& e) {
      EXPECT_EQ(e.m_iNumber, 8);
      EXPECT_EQ(e.m_iLine, 1196);
    }
    try {
      other.Init(3, 100, 0);
      ADD_FAILURE();
    } catch (const CZNError& e) {
      EXPECT_EQ(e.m_iNumber, 8);
      EXPECT_EQ(e.m_iLine, 1208);
    }
    EXPECT_EQ(other.GetType(), 3);

    CZNMSG loaded(true);
    EXPECT_FALSE(loaded.LoadRaw(raw.data(), raw.size()));
    EXPECT_EQ(loaded.GetData(), nullptr);
    EXPECT_EQ(loaded.GetLength(), 0);
    EXPECT_EQ(loaded.GetTag(), 1);
  }
}

TEST(ZNMSGRawFormTest, InitKeepsTagBufferAndErrorFlag) {
  CZNMSG msg(7, 1, 0, 0);
  msg.WriteInt(1);
  int32_t i = 0;
  msg.ReadInt(i);  // cursor at the end: fails, flag set
  ASSERT_TRUE(msg.HasError());
  uint8_t* pBuffer = msg.GetData();
  msg.Init(2, 10, 33);
  EXPECT_EQ(msg.GetTag(), 7);
  EXPECT_EQ(msg.GetType(), 2);
  EXPECT_EQ(msg.GetParam(), 33);
  EXPECT_EQ(msg.GetLength(), 0);
  EXPECT_EQ(msg.GetPos(), 0);
  EXPECT_EQ(msg.GetData(), pBuffer);
  EXPECT_TRUE(msg.HasError());
  EXPECT_FALSE(msg.TryInit(2, -1, 0));
}
