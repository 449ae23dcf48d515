// Payload items: their bytes, round trips, the sticky error flag and the
// throwing forms with their debugger lines.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "COMMON/ZNBuffer.h"
#include "COMMON/ZNError.h"
#include "COMMON/ZNMSG.h"
#include "COMMON/ZNTime.h"
#include "COMMON/ZNTimeSpan.h"
#include "support/AllocFailure.h"
#include "support/DebugCapture.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Payload(const CZNMSG& msg) { return Bytes(msg.GetData(), msg.GetData() + msg.GetLength()); }

// Friday 2013-03-15 14:05:09.250 (day of week 5 counts from Sunday).
CZNTime Friday() { return CZNTime(platform::SystemTime{2013, 3, 5, 15, 14, 5, 9, 250}); }

struct ItemRow {
  const char* pszName;
  std::function<bool(CZNMSG&)> write;
  std::function<bool(CZNMSG&)> readBack;  // reads and compares with what was written
  int32_t iSize;
};

std::vector<ItemRow> ItemRows() {
  return {
      {"bytes", [](CZNMSG& m) { return m.WriteBytes("\x01\x02\x03\x04\x05", 5); },
       [](CZNMSG& m) {
         uint8_t by[5] = {};
         return m.ReadBytes(by, 5) && Bytes(by, by + 5) == Bytes{1, 2, 3, 4, 5};
       },
       8},
      {"char", [](CZNMSG& m) { return m.WriteChar(-100); },
       [](CZNMSG& m) {
         int8_t c = 0;
         return m.ReadChar(c) && c == -100;
       },
       1},
      {"byte", [](CZNMSG& m) { return m.WriteByte(200); },
       [](CZNMSG& m) {
         uint8_t by = 0;
         return m.ReadByte(by) && by == 200;
       },
       1},
      {"short", [](CZNMSG& m) { return m.WriteShort(-30000); },
       [](CZNMSG& m) {
         int16_t sh = 0;
         return m.ReadShort(sh) && sh == -30000;
       },
       2},
      {"word", [](CZNMSG& m) { return m.WriteWord(60000); },
       [](CZNMSG& m) {
         uint16_t w = 0;
         return m.ReadWord(w) && w == 60000;
       },
       2},
      {"int", [](CZNMSG& m) { return m.WriteInt(std::numeric_limits<int32_t>::min()); },
       [](CZNMSG& m) {
         int32_t i = 0;
         return m.ReadInt(i) && i == std::numeric_limits<int32_t>::min();
       },
       4},
      {"string", [](CZNMSG& m) { return m.WriteString("hello"); },
       [](CZNMSG& m) {
         std::string s;
         return m.ReadString(s) && s == "hello";
       },
       12},
      {"string into a buffer", [](CZNMSG& m) { return m.WriteString("buffer"); },
       [](CZNMSG& m) {
         char* p = ZNAllocChars(3);
         int32_t n = -1;
         const bool bOk = m.ReadString(p, n) && n == 6 && std::string(p) == "buffer";
         ZNFreeChars(p);
         return bOk;
       },
       12},
      {"time", [](CZNMSG& m) { return m.WriteTime(Friday()); },
       [](CZNMSG& m) {
         CZNTime t;
         return m.ReadTime(t) && t == Friday();
       },
       16},
      {"short time", [](CZNMSG& m) { return m.WriteShortTime(Friday()); },
       [](CZNMSG& m) {
         CZNTime t;
         platform::SystemTime st = Friday().GetAsSystemTime();
         st.wMilliseconds = 0;
         return m.ReadShortTime(t) && t == CZNTime(st);
       },
       6},
      {"time span", [](CZNMSG& m) {
         CZNTimeSpan span(3, 4, 5, 6, 7);
         span.SetNegative(1);
         return m.WriteTimeSpan(span);
       },
       [](CZNMSG& m) {
         CZNTimeSpan span;
         return m.ReadTimeSpan(span) && span.IsNegative() == 1 && span.GetSpan() == CZNTimeSpan(3, 4, 5, 6, 7).GetSpan();
       },
       12},
      {"colour", [](CZNMSG& m) { return m.WriteColor(0x00336699); },
       [](CZNMSG& m) {
         uint32_t rgb = 0;
         return m.ReadColor(rgb) && rgb == 0x00336699;
       },
       12},
      {"rectangle", [](CZNMSG& m) { return m.WriteRect(-5, 7, 100, 3); },
       [](CZNMSG& m) {
         ZNRect r;
         return m.ReadRect(r) && r == ZNRect{-5, 7, 100, 3};
       },
       16},
      {"rectangle at the extremes",
       [](CZNMSG& m) {
         return m.WriteRect(std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min(),
                            std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
       },
       [](CZNMSG& m) {
         ZNRect r;
         return m.ReadRect(r) && r == ZNRect{std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min(),
                                             std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()};
       },
       16},
  };
}

}  // namespace

TEST(ZNMSGItemsTest, EachItemRoundTripsWithItsSize) {
  for (const ItemRow& row : ItemRows()) {
    SCOPED_TRACE(row.pszName);
    CZNMSG msg(0, 0, 0, 0);
    ASSERT_TRUE(row.write(msg));
    EXPECT_EQ(msg.GetLength(), row.iSize);
    EXPECT_EQ(msg.GetPos(), row.iSize);
    msg.Rewind();
    EXPECT_TRUE(row.readBack(msg));
    EXPECT_EQ(msg.GetPos(), row.iSize);
    EXPECT_FALSE(msg.HasError());
  }
}

// All items in one message, then through its raw form into a fresh one.
TEST(ZNMSGItemsTest, AllItemsRoundTripThroughTheRawForm) {
  CZNMSG msg(1, 2, 0, 0);
  const std::vector<ItemRow> rows = ItemRows();
  for (const ItemRow& row : rows) ASSERT_TRUE(row.write(msg)) << row.pszName;
  CZNMSG copy(true);
  ASSERT_TRUE(copy.LoadRaw(msg.GetRaw(), msg.GetRawSize()));
  for (const ItemRow& row : rows) EXPECT_TRUE(row.readBack(copy)) << row.pszName;
  EXPECT_EQ(copy.GetPos(), copy.GetLength());
}

TEST(ZNMSGItemsTest, StringBytes) {
  CZNMSG msg(0, 0, 0, 0);
  msg.WriteString("abc");
  EXPECT_EQ(Payload(msg), (Bytes{0x03, 0x00, 0x00, 0x00, 0x61, 0x62, 0x63, 0x00}));
  msg.Rewind();
  msg.WriteString("");
  EXPECT_EQ(Payload(msg), (Bytes{0x00, 0x00, 0x00, 0x00}));
}

TEST(ZNMSGItemsTest, OverlongStringReadsAsEmptyAndIsSkipped) {
  CZNMSG msg(0, 0, 0, 0);
  msg.WriteString(std::string(10001, 'x'));
  EXPECT_EQ(msg.GetLength(), 4 + 10004);
  msg.WriteInt(77);
  msg.Rewind();
  std::string s = "old";
  ASSERT_TRUE(msg.ReadString(s));
  EXPECT_EQ(s, "");
  EXPECT_EQ(msg.GetPos(), 4 + 10004);
  EXPECT_EQ(msg.GetInt(), 77);

  msg.Rewind();
  char* p = nullptr;
  int32_t n = -1;
  ASSERT_TRUE(msg.ReadString(p, n));
  EXPECT_EQ(n, 0);
  EXPECT_EQ(p[0], '\0');
  ZNFreeChars(p);

  msg.Rewind();
  msg.WriteString(std::string(10000, 'y'));  // the longest kept
  msg.Rewind();
  EXPECT_EQ(msg.GetString().size(), 10000u);
}

TEST(ZNMSGItemsTest, BlockIsPaddedAndItsReadMayEndPastTheLength) {
  CZNMSG msg(0, 0, 0, 0);
  msg.WriteBytes("\x01\x02\x03\x04\x05", 5);
  EXPECT_EQ(msg.GetLength(), 8);

  msg.Rewind();
  msg.WriteByte(1);
  msg.WriteByte(2);
  msg.WriteByte(3);
  msg.Rewind();
  uint8_t by[3];
  ASSERT_TRUE(msg.ReadBytes(by, 3));
  EXPECT_EQ(msg.GetPos(), 4);
  uint8_t byOne = 0;
  EXPECT_FALSE(msg.ReadByte(byOne));
  EXPECT_FALSE(msg.ReadBytes(by, 0));
  std::string s;
  EXPECT_FALSE(msg.ReadString(s));
  EXPECT_EQ(msg.GetPos(), 4);
}

TEST(ZNMSGItemsTest, ReadFailureLeavesCursorAndStopsCompositeReads) {
  CZNMSG msg(0, 0, 0, 0);
  msg.WriteShort(0x1234);
  msg.WriteByte(0x56);
  msg.Rewind();
  int32_t i = 99;
  EXPECT_FALSE(msg.ReadInt(i));
  EXPECT_EQ(i, 99);
  EXPECT_EQ(msg.GetPos(), 0);
  std::string s;
  EXPECT_FALSE(msg.ReadString(s));
  EXPECT_EQ(msg.GetPos(), 0);  // failed at once: not even the length word read
  int16_t sh = 0;
  EXPECT_TRUE(msg.ReadShort(sh));
  EXPECT_EQ(sh, 0x1234);
}

// Once any read failed, every composite read fails even on good data, while
// plain reads and writes go on; Rewind, TryInit and LoadRaw keep the flag.
TEST(ZNMSGItemsTest, ErrorFlagIsSticky) {
  CZNMSG msg(0, 0, 0, 0);
  for (const ItemRow& row : ItemRows()) row.write(msg);
  msg.Rewind();
  uint8_t byBig[64];
  ASSERT_FALSE(msg.ReadBytes(byBig, msg.GetLength() + 1));
  ASSERT_TRUE(msg.HasError());

  CZNTime t;
  CZNTimeSpan span;
  uint32_t rgb = 0;
  ZNRect rect;
  std::string s;
  char* p = nullptr;
  int32_t n = 5;
  const std::vector<std::pair<const char*, std::function<bool()>>> composites = {
      {"string", [&] { return msg.ReadString(s); }},
      {"string buffer", [&] { return msg.ReadString(p, n); }},
      {"time", [&] { return msg.ReadTime(t); }},
      {"short time", [&] { return msg.ReadShortTime(t); }},
      {"time span", [&] { return msg.ReadTimeSpan(span); }},
      {"colour", [&] { return msg.ReadColor(rgb); }},
      {"rectangle", [&] { return msg.ReadRect(rect); }},
  };
  for (auto& [pszName, read] : composites) {
    msg.Rewind();
    EXPECT_FALSE(read()) << pszName;
    EXPECT_EQ(msg.GetPos(), 0) << pszName;
  }
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(n, 5);  // failed before the length step: untouched

  uint8_t by5[5];
  EXPECT_TRUE(msg.ReadBytes(by5, 5));
  EXPECT_TRUE(msg.HasError());  // plain reads never clear it
  EXPECT_TRUE(msg.WriteInt(1));
  msg.Rewind();
  EXPECT_TRUE(msg.HasError());
  msg.TryInit(0, 0, 0);
  EXPECT_TRUE(msg.HasError());
  CZNMSG good(0, 0, 0, 0);
  good.WriteString("x");
  ASSERT_TRUE(msg.LoadRaw(good.GetRaw(), good.GetRawSize()));
  EXPECT_FALSE(msg.ReadString(s));
}

TEST(ZNMSGItemsTest, SuccessfulCompositeReadClearsTheFlagOnlyItSet) {
  CZNMSG msg(0, 0, 0, 0);
  msg.WriteInt(1);
  msg.WriteInt(2);  // a colour needs 12 bytes: only two words there
  msg.Rewind();
  uint32_t rgb = 0;
  EXPECT_FALSE(msg.ReadColor(rgb));
  EXPECT_EQ(msg.GetPos(), 8);  // the words read stay consumed
  EXPECT_TRUE(msg.HasError());
}

// Hostile string lengths: negative, beyond the payload, near the 32-bit limit.
TEST(ZNMSGItemsTest, BadStringLengthsFailWithTheLengthConsumed) {
  for (int32_t iBad : {-1, std::numeric_limits<int32_t>::min(), 5, std::numeric_limits<int32_t>::max()}) {
    SCOPED_TRACE(iBad);
    CZNMSG msg(0, 0, 0, 0);
    msg.WriteInt(iBad);
    msg.WriteInt(0);  // 4 bytes after the length word
    msg.Rewind();
    std::string s = "kept";
    EXPECT_FALSE(msg.ReadString(s));
    EXPECT_EQ(s, "kept");
    EXPECT_EQ(msg.GetPos(), 4);

    CZNMSG msg2(0, 0, 0, 0);
    msg2.WriteInt(iBad);
    msg2.Rewind();
    char* p = ZNAllocChars(1);
    int32_t n = 9;
    EXPECT_FALSE(msg2.ReadString(p, n));
    EXPECT_EQ(n, 0);
    ZNFreeChars(p);
  }
}

TEST(ZNMSGItemsTest, NegativeBlockSizesAreRefused) {
  CZNMSG msg(0, 0, 0, 0);
  uint8_t by[4] = {};
  EXPECT_FALSE(msg.WriteBytes(by, -1));
  EXPECT_FALSE(msg.WriteBytes(by, std::numeric_limits<int32_t>::min()));
  EXPECT_EQ(msg.GetLength(), 0);
  msg.WriteInt(0);
  msg.Rewind();
  EXPECT_FALSE(msg.ReadBytes(by, -4));
  EXPECT_TRUE(msg.HasError());
  EXPECT_EQ(msg.GetPos(), 0);
  EXPECT_FALSE(msg.ReadBytes(by, std::numeric_limits<int32_t>::max()));
}

TEST(ZNMSGItemsTest, TimeBytes) {
  CZNMSG msg(0, 0, 0, 0);
  msg.WriteTime(Friday());
  EXPECT_EQ(Payload(msg), (Bytes{0xDD, 0x07, 0x03, 0x00, 0x04, 0x00, 0x0F, 0x00, 0x0E, 0x00, 0x05, 0x00, 0x09, 0x00,
                                 0xFA, 0x00}));
  msg.Rewind();
  msg.WriteShortTime(Friday());
  EXPECT_EQ(Payload(msg), (Bytes{0x0D, 0x43, 0x0F, 0x0E, 0x05, 0x09}));
  msg.Rewind();
  CZNTime t;
  ASSERT_TRUE(msg.ReadShortTime(t));
  EXPECT_EQ(t.GetMillisecond(), 0);
  EXPECT_EQ(t.GetDay(), 15);
  EXPECT_EQ(t.GetDayOfWeek(), 4);
}

TEST(ZNMSGItemsTest, CompactYearWrapsToEightBits) {
  CZNMSG msg(0, 0, 0, 0);
  msg.WriteShortTime(CZNTime(platform::SystemTime{1999, 6, 2, 1, 0, 0, 0, 0}));
  EXPECT_EQ(msg.GetData()[0], 0xFF);
  msg.Rewind();
  CZNTime t;
  ASSERT_TRUE(msg.ReadShortTime(t));
  EXPECT_EQ(t.GetYear(), 2255);
}

TEST(ZNMSGItemsTest, ReadTimeTakesTheWeekdayOfTheDate) {
  CZNMSG msg(0, 0, 0, 0);
  // 2013-03-15 stored as a Monday (0): a valid date keeps its own Friday.
  msg.WriteTime(CZNTime(platform::SystemTime{2013, 3, 1, 15, 14, 5, 9, 250}));
  msg.Rewind();
  CZNTime t;
  ASSERT_TRUE(msg.ReadTime(t));
  EXPECT_EQ(t.GetDayOfWeek(), 4);
  // The compact form keeps the weekday it stored.
  msg.Rewind();
  msg.WriteShortTime(CZNTime(platform::SystemTime{2013, 3, 1, 15, 14, 5, 9, 250}));
  msg.Rewind();
  ASSERT_TRUE(msg.ReadShortTime(t));
  EXPECT_EQ(t.GetDayOfWeek(), 0);
}

TEST(ZNMSGItemsTest, TimeSpanKeepsDaysBeyondWholeWeeksOnly) {
  CZNMSG msg(0, 0, 0, 0);
  msg.WriteTimeSpan(CZNTimeSpan(9, 2, 3, 0, 0));
  EXPECT_EQ(Payload(msg), (Bytes{0x00, 0x00, 0x02, 0x00, 0x02, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00}));
  msg.Rewind();
  const CZNTimeSpan span = msg.GetTimeSpan();
  EXPECT_EQ(span.GetTotalDays(), 2);
  EXPECT_EQ(span.GetHours(), 2);
  EXPECT_EQ(span.GetMinutes(), 3);
}

TEST(ZNMSGItemsTest, ColourKeepsTheLowThreeBytes) {
  CZNMSG msg(0, 0, 0, 0);
  msg.WriteColor(153 | 102 << 8 | 51 << 16);
  EXPECT_EQ(Payload(msg), (Bytes{153, 0, 0, 0, 102, 0, 0, 0, 51, 0, 0, 0}));
  msg.WriteColor(0xFF123456);
  msg.Rewind();
  msg.GetColor();
  EXPECT_EQ(msg.GetColor(), 0x00123456u);
  // Words above 255 read back cut to their low byte.
  msg.Rewind();
  msg.WriteInt(0x1FF);
  msg.WriteInt(-1);
  msg.WriteInt(0x100);
  msg.Rewind();
  EXPECT_EQ(msg.GetColor(), 0x0000FFFFu);
}

TEST(ZNMSGItemsTest, RectangleIsStoredAsOriginAndSize) {
  CZNMSG msg(0, 0, 0, 0);
  msg.WriteRect(10, 20, 29, 59);
  EXPECT_EQ(Payload(msg), (Bytes{10, 0, 0, 0, 20, 0, 0, 0, 20, 0, 0, 0, 40, 0, 0, 0}));
  msg.Rewind();
  EXPECT_EQ(msg.GetRect(), (ZNRect{10, 20, 29, 59}));
}

// Failure table, number 0: every throwing read on a message with nothing left,
// with its line and its debugger line.
TEST(ZNMSGItemsTest, ThrowingReadsRaiseZeroWithTheirLine) {
  struct Row {
    const char* pszName;
    std::function<void(CZNMSG&)> call;
    int32_t iLine;
  };
  uint8_t by[4];
  const Row rows[] = {
      {"GetBytes", [&](CZNMSG& m) { m.GetBytes(by, 4); }, 1219},
      {"GetChar", [](CZNMSG& m) { m.GetChar(); }, 1229},
      {"GetShort", [](CZNMSG& m) { m.GetShort(); }, 1240},
      {"GetInt", [](CZNMSG& m) { m.GetInt(); }, 1251},
      {"GetString", [](CZNMSG& m) { m.GetString(); }, 1262},
      {"GetTime", [](CZNMSG& m) { m.GetTime(); }, 1273},
      {"GetColor", [](CZNMSG& m) { m.GetColor(); }, 1284},
      {"GetRect", [](CZNMSG& m) { m.GetRect(); }, 1295},
      {"GetTimeSpan", [](CZNMSG& m) { m.GetTimeSpan(); }, 1306},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.pszName);
    CZNMSG msg(0, 0, 0, 0);
    msg.WriteByte(1);
    msg.Rewind();
    msg.ReadByte(by[0]);
    DebugCapture capture;
    try {
      row.call(msg);
      ADD_FAILURE() << "no throw";
    } catch (const CZNError& e) {
      EXPECT_EQ(e.m_iNumber, 0);
      EXPECT_EQ(e.m_sFile, "..\\COMMON\\znmsg");
      EXPECT_EQ(e.m_iLine, row.iLine);
    }
    ASSERT_EQ(capture.Lines().size(), 1u);  // one line per construction, none per copy
    EXPECT_EQ(capture.Lines()[0], "CZNError: #=0, File=..\\COMMON\\znmsg, Line=" + std::to_string(row.iLine) + "\n");
  }
}

// Failure table, number 0: every throwing write when no memory is left.
TEST(ZNMSGItemsTest, ThrowingWritesRaiseZeroWithTheirLine) {
  struct Row {
    const char* pszName;
    std::function<void(CZNMSG&)> call;
    int32_t iLine;
  };
  const Row rows[] = {
      {"PutBytes", [](CZNMSG& m) { m.PutBytes("ab", 2); }, 1318},
      {"PutChar", [](CZNMSG& m) { m.PutChar(1); }, 1328},
      {"PutShort", [](CZNMSG& m) { m.PutShort(1); }, 1338},
      {"PutInt", [](CZNMSG& m) { m.PutInt(1); }, 1348},
      {"PutString", [](CZNMSG& m) { m.PutString("x"); }, 1358},
      {"PutTime", [](CZNMSG& m) { m.PutTime(Friday()); }, 1368},
      {"PutTimeSpan", [](CZNMSG& m) { m.PutTimeSpan(CZNTimeSpan(1, 0, 0, 0, 0)); }, 1378},
      {"PutColor", [](CZNMSG& m) { m.PutColor(1); }, 1388},
      {"PutRect", [](CZNMSG& m) { m.PutRect(1, 2, 3, 4); }, 1398},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.pszName);
    CZNMSG msg(true);
    AllocFailure failing;
    DebugCapture capture;
    try {
      row.call(msg);
      ADD_FAILURE() << "no throw";
    } catch (const CZNError& e) {
      EXPECT_EQ(e.m_iNumber, 0);
      EXPECT_EQ(e.m_iLine, row.iLine);
    }
    EXPECT_EQ(msg.GetLength(), 0);
    EXPECT_EQ(msg.GetData(), nullptr);
    ASSERT_EQ(capture.Lines().size(), 1u);
    EXPECT_EQ(capture.Lines()[0], "CZNError: #=0, File=..\\COMMON\\znmsg, Line=" + std::to_string(row.iLine) + "\n");
  }
}

TEST(ZNMSGItemsTest, ThrowingFormsReturnWhatTheyRead) {
  CZNMSG msg(0, 0, 0, 0);
  msg.PutChar(-1);
  msg.PutShort(-2);
  msg.PutInt(-3);
  msg.PutString("four");
  msg.PutTime(Friday());
  msg.PutRect(1, 2, 3, 4);
  msg.Rewind();
  EXPECT_EQ(msg.GetChar(), -1);
  EXPECT_EQ(msg.GetShort(), -2);
  EXPECT_EQ(msg.GetInt(), -3);
  EXPECT_EQ(msg.GetString(), "four");
  EXPECT_TRUE(msg.GetTime() == Friday());
  EXPECT_EQ(msg.GetRect(), (ZNRect{1, 2, 3, 4}));
}

TEST(ZNMSGItemsTest, StringBufferReadWithoutMemoryFails) {
  CZNMSG msg(0, 0, 0, 0);
  msg.WriteString("abc");
  msg.Rewind();
  char* p = nullptr;
  int32_t n = 7;
  AllocFailure failing;
  EXPECT_FALSE(msg.ReadString(p, n));
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(n, 0);
  EXPECT_TRUE(msg.HasError());
}

// Failure table, number 0: a composite read refused because the flag is set,
// even though its bytes are all there.
TEST(ZNMSGItemsTest, ThrowingReadWithErrorFlagSetRaisesZero) {
  CZNMSG msg(0, 0, 0, 0);
  msg.WriteString("there");
  msg.Rewind();
  uint8_t by[64];
  ASSERT_FALSE(msg.ReadBytes(by, 64));
  DebugCapture capture;
  try {
    msg.GetString();
    ADD_FAILURE() << "no throw";
  } catch (const CZNError& e) {
    EXPECT_EQ(e.m_iNumber, 0);
    EXPECT_EQ(e.m_iLine, 1262);
  }
  EXPECT_EQ(msg.GetPos(), 0);
  ASSERT_EQ(capture.Lines().size(), 1u);
  EXPECT_EQ(capture.Lines()[0], "CZNError: #=0, File=..\\COMMON\\znmsg, Line=1262\n");
}
