#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "COMMON/ZNLogMSG.h"
#include "COMMON/ZNTime.h"
#include "support/AllocFailure.h"

namespace {

using Bytes = std::vector<uint8_t>;

CZNTime Friday() { return CZNTime(platform::SystemTime{2013, 3, 5, 15, 14, 5, 9, 250}); }

// Value 7 stamped Friday 2013-03-15 14:05:09.250.
const Bytes kSevenOnFriday = {0x00, 0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00, 0xDD, 0x07, 0x03, 0x00, 0x04, 0x00,
                              0x0F, 0x00, 0x0E, 0x00, 0x05, 0x00, 0x09, 0x00, 0xFA, 0x00, 0x07, 0x00, 0x00, 0x00};

Bytes RawOf(CZNMSG& msg) {
  const uint8_t* p = msg.GetRaw();
  return Bytes(p, p + msg.GetRawSize());
}

}  // namespace

TEST(ZNLogMSGTest, ValueMessageHasTheKnownRawForm) {
  CZNLogMSG log(7);
  EXPECT_EQ(log.GetTag(), 0);
  EXPECT_EQ(log.GetType(), 0);
  EXPECT_EQ(log.GetValue(), 7);
  EXPECT_EQ(log.GetLength(), 20);
  EXPECT_EQ(log.GetPos(), 20);
  log.SetLogTime(Friday());
  EXPECT_EQ(log.GetRawSize(), 28);
  EXPECT_EQ(RawOf(log), kSevenOnFriday);
  EXPECT_EQ(log.GetPos(), 20);
}

TEST(ZNLogMSGTest, RawFormRoundTrips) {
  CZNLogMSG first(7);
  first.SetLogTime(Friday());
  for (bool bChecked : {false, true}) {
    SCOPED_TRACE(bChecked ? "checked" : "trusting");
    std::unique_ptr<CZNLogMSG> log(bChecked ? new CZNLogMSG(kSevenOnFriday.data(), kSevenOnFriday.size())
                                            : new CZNLogMSG(kSevenOnFriday.data()));
    EXPECT_TRUE(log->GetLogTime() == Friday());
    EXPECT_EQ(log->GetValue(), 7);
    EXPECT_EQ(log->GetParam(), 1);
    EXPECT_EQ(log->GetPos(), 20);
    EXPECT_TRUE(log->IsEqual(first));
    EXPECT_EQ(RawOf(*log), kSevenOnFriday);
    // The payload reads back as a message too.
    log->Rewind();
    EXPECT_TRUE(log->GetTime() == Friday());
    EXPECT_EQ(log->GetInt(), 7);
  }
}

TEST(ZNLogMSGTest, SetLogTimeKeepsCursorLengthAndValue) {
  CZNLogMSG log(kSevenOnFriday.data(), kSevenOnFriday.size());
  log.Rewind();
  int16_t sh = 0;
  log.ReadShort(sh);
  CZNTime later = Friday();
  later.AddDays(1);
  log.SetLogTime(later);
  EXPECT_EQ(log.GetLength(), 20);
  EXPECT_EQ(log.GetPos(), 2);
  EXPECT_TRUE(log.GetLogTime() == later);
  log.Rewind();
  EXPECT_TRUE(log.GetTime() == later);
  EXPECT_EQ(log.GetInt(), 7);
}

TEST(ZNLogMSGTest, StoredWeekdayGivesWayToTheDate) {
  Bytes raw = kSevenOnFriday;
  raw[12] = 0x01;  // claims Tuesday
  CZNLogMSG log(raw.data(), raw.size());
  EXPECT_EQ(log.GetLogTime().GetDayOfWeek(), 4);
}

TEST(ZNLogMSGTest, CheckedConstructorRefusesBadRawForms) {
  struct Row {
    const char* pszWhat;
    int32_t iLength;
    size_t nHeld;
  };
  const Row rows[] = {
      {"fewer than 28 bytes", 20, 27},
      {"negative length", -1, 28},
      {"length beyond the bytes held", 21, 28},
      {"length above the maximum", CZNMSG::kMaxRawLength + 1, CZNMSG::kMaxRawLength + 9},
      {"most negative length", std::numeric_limits<int32_t>::min(), 28},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.pszWhat);
    Bytes raw = kSevenOnFriday;
    raw.resize(std::max<size_t>(row.nHeld, raw.size()));
    for (int i = 0; i < 4; ++i) raw[4 + i] = static_cast<uint8_t>(static_cast<uint32_t>(row.iLength) >> (8 * i));
    EXPECT_FALSE(CZNLogMSG::IsRawAcceptable(raw.data(), row.nHeld));
    CZNLogMSG log(raw.data(), row.nHeld);
    EXPECT_EQ(log.GetData(), nullptr);
    EXPECT_EQ(log.GetLength(), 0);
    EXPECT_EQ(log.GetValue(), 0);
    EXPECT_EQ(log.GetTag(), -1);
  }
}

// A header shorter than the log payload is kept as it is; the cursor then lies
// past the length, and a write still stays inside the buffer.
TEST(ZNLogMSGTest, ShortHeaderLengthIsKept) {
  Bytes raw = kSevenOnFriday;
  raw[4] = 4;
  CZNLogMSG log(raw.data(), raw.size());
  EXPECT_EQ(log.GetLength(), 4);
  EXPECT_EQ(log.GetPos(), 20);
  EXPECT_EQ(log.GetValue(), 7);
  EXPECT_TRUE(log.WriteString(std::string(100, 'z')));
  EXPECT_EQ(log.GetLength(), 124);
}

TEST(ZNLogMSGTest, ValueConstructorWithoutMemoryKeepsTheMembers) {
  AllocFailure failing;
  CZNLogMSG log(9);
  EXPECT_EQ(log.GetValue(), 9);
  EXPECT_EQ(log.GetData(), nullptr);
  EXPECT_EQ(log.GetLength(), 0);
}

TEST(ZNLogMSGTest, DeletedThroughTheBase) {
  std::unique_ptr<CZNMSG> msg(new CZNLogMSG(kSevenOnFriday.data(), kSevenOnFriday.size()));
  EXPECT_EQ(msg->GetRawSize(), 28);
}
