#include "discovery/KestoInfo.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/RecordBuilder.h"

namespace {

TEST(KestoInfoTest, AgeingBoundaryAndWrapAround) {
  const struct { uint32_t dwSeen; uint32_t dwNow; bool bAged; } cases[] = {
      {1000, 3000, false},          // exactly 2000 ms
      {1000, 3001, true},           // 2001 ms
      {0xFFFFFF00u, 256, false},    // 512 ms across the wrap
      {0xFFFFFF00u, 1793, true},    // 2049 ms across the wrap
      {0xFFFFF830u, 0, false},      // 2000 ms ending exactly at the wrap
      {5, 5, false},
  };
  for (const auto& c : cases) {
    CKestoInfo info(MakeRecord(1), c.dwSeen);
    EXPECT_EQ(info.IsAged(c.dwNow), c.bAged) << c.dwSeen << " -> " << c.dwNow;
  }
}

TEST(KestoInfoTest, NewEntriesAndCopiesStartClean) {
  CKestoInfo info(MakeRecord(1), 100);
  EXPECT_EQ(info.dwLastSeen, 100u);
  EXPECT_EQ(info.bChanged, 0);
  EXPECT_EQ(info.bListed, 0);
  info.bChanged = 1;
  info.bListed = 1;
  std::unique_ptr<CKestoInfo> copy(info.Copy(900));
  EXPECT_EQ(copy->dwLastSeen, 900u);
  EXPECT_EQ(copy->bChanged, 0);
  EXPECT_EQ(copy->bListed, 0);
  EXPECT_FALSE(copy->IsDifferent(info.GetRecord()));
}

TEST(KestoInfoTest, IdentityAndDifference) {
  KESTO_RECORD record = MakeRecord(1);
  CKestoInfo info(record, 0);
  KESTO_RECORD other = record;
  other.byReserved2[3] ^= 1;
  EXPECT_TRUE(info.IsSameMAC(other));
  EXPECT_TRUE(info.IsDifferent(other));
  EXPECT_FALSE(info.IsDifferent(record));
  other = record;
  other.byMAC[5] ^= 0x80;
  EXPECT_FALSE(info.IsSameMAC(other));
  info.SetRecord(other);
  EXPECT_EQ(info.dwLastSeen, 0u);
  EXPECT_TRUE(info.IsSameMAC(other));
}

}  // namespace
