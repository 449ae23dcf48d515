#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "COMMON/TimeServer.h"
#include "platform/MemoryRegistry.h"
#include "platform/TimeZone.h"

namespace {

using platform::MemoryRegistry;
using platform::RegistryRoot;
using platform::TimeZoneInformation;

const std::vector<uint8_t> kDayStart = {0, 0, 3, 0, 0, 0, 2, 0, 2, 0, 0, 0, 0, 0, 0, 0};
const std::vector<uint8_t> kStdStart = {0, 0, 11, 0, 0, 0, 1, 0, 2, 0, 0, 0, 0, 0, 0, 0};

// A zone that answers with a fixed record and records what it is asked to apply.
class FakeZone : public platform::TimeZoneAccess {
 public:
  uint32_t Query(TimeZoneInformation* pInfo) override {
    ++m_iQueries;
    if (m_dwId != platform::kTimeZoneIdInvalid) *pInfo = m_info;
    return m_dwId;
  }
  bool Apply(const TimeZoneInformation& info) override {
    m_applied.push_back(info);
    return m_bAccept;
  }

  TimeZoneInformation m_info;
  uint32_t m_dwId = platform::kTimeZoneIdStandard;
  bool m_bAccept = true;
  int m_iQueries = 0;
  std::vector<TimeZoneInformation> m_applied;
};

TimeZoneInformation SydneyLike() {
  TimeZoneInformation info;
  info.lBias = -600;
  info.lDaylightBias = -60;
  info.stDaylightDate = {0, 10, 0, 1, 2, 0, 0, 0};
  info.stStandardDate = {0, 4, 0, 1, 3, 0, 0, 0};
  return info;
}

TEST(TimeServerTest, ConstructionAppliesTheFixedRuleKeepingTimesBiasesAndNames) {
  FakeZone zone;
  zone.m_info = SydneyLike();
  zone.m_info.szStandardName[0] = u'S';
  MemoryRegistry registry;
  CTimeServer server(zone, registry);

  ASSERT_EQ(zone.m_applied.size(), 1u);
  const TimeZoneInformation& applied = zone.m_applied[0];
  EXPECT_EQ(applied.stDaylightDate, (platform::SystemTime{0, 3, 0, 2, 2, 0, 0, 0}));
  EXPECT_EQ(applied.stStandardDate, (platform::SystemTime{0, 11, 0, 1, 3, 0, 0, 0}));
  EXPECT_EQ(applied.lBias, -600);
  EXPECT_EQ(applied.lDaylightBias, -60);
  EXPECT_EQ(applied.szStandardName[0], u'S');
  EXPECT_EQ(server.GetTimeZoneId(), platform::kTimeZoneIdStandard);
  EXPECT_DOUBLE_EQ(server.GetBias(), -10.0);
}

TEST(TimeServerTest, FailedQueryIsKeptAndTheRuleStillApplied) {
  FakeZone zone;
  zone.m_dwId = platform::kTimeZoneIdInvalid;
  MemoryRegistry registry;
  CTimeServer server(zone, registry);
  EXPECT_EQ(server.GetTimeZoneId(), platform::kTimeZoneIdInvalid);
  ASSERT_EQ(zone.m_applied.size(), 1u);
  EXPECT_EQ(zone.m_applied[0].stDaylightDate.wMonth, 3);
  EXPECT_DOUBLE_EQ(server.GetBias(), 0.0);
}

TEST(TimeServerTest, SetBiasAppliesAFreshQueryAndKeepsTheBiasEvenWhenRefused) {
  FakeZone zone;
  zone.m_info = SydneyLike();
  MemoryRegistry registry;
  CTimeServer server(zone, registry);
  zone.m_bAccept = false;
  EXPECT_FALSE(server.SetBias(-1));
  EXPECT_DOUBLE_EQ(server.GetBias(), -1.0);
  ASSERT_EQ(zone.m_applied.size(), 2u);
  const TimeZoneInformation& applied = zone.m_applied[1];
  EXPECT_EQ(applied.lBias, -60);
  // The fresh record carries the queried rule, not the one construction applied.
  EXPECT_EQ(applied.stDaylightDate.wMonth, 10);
  // The rest of the stored record is not refreshed.
  EXPECT_EQ(server.GetZone().stDaylightDate.wMonth, 3);

  zone.m_bAccept = true;
  EXPECT_TRUE(server.SetBias(5));
  EXPECT_DOUBLE_EQ(server.GetBias(), 5.0);
}

struct RegistryCase {
  const char* pszName;
  bool bKey;
  const std::vector<uint8_t>* pDaylight;  // null: value missing
  const std::vector<uint8_t>* pStandard;
  bool bRewritten;
};

const std::vector<uint8_t> kDayOther = {0, 0, 4, 0, 0, 0, 1, 0, 2, 0, 0, 0, 0, 0, 0, 0};
const std::vector<uint8_t> kStdOther = {0, 0, 11, 0, 0, 0, 1, 0, 3, 0, 0, 0, 0, 0, 0, 0};
const std::vector<uint8_t> kDayShort = {0, 0, 3, 0, 0, 0, 2, 0, 2, 0};  // equal as far as it goes
const std::vector<uint8_t> kDayEmpty = {};
const std::vector<uint8_t> kDayLonger = [] {
  std::vector<uint8_t> by = kDayStart;
  by.insert(by.end(), {7, 7, 7, 7});
  return by;
}();
const std::vector<uint8_t> kDayTooLong(40, 0xAA);  // beyond the 32-byte read: not compared

void PrintTo(const RegistryCase& c, std::ostream* pOut) { *pOut << c.pszName; }

class TimeServerRegistryTest : public testing::TestWithParam<RegistryCase> {};

TEST_P(TimeServerRegistryTest, RewritesBothValuesOnlyWhenOneReadsDifferent) {
  const RegistryCase& c = GetParam();
  MemoryRegistry registry;
  if (c.bKey) registry.CreateKey(RegistryRoot::kLocalMachine, kTimeZoneKeyPath);
  if (c.pDaylight)
    registry.SetValue(RegistryRoot::kLocalMachine, kTimeZoneKeyPath, kDaylightStartValue,
                      {platform::kRegistryBinary, *c.pDaylight});
  if (c.pStandard)
    registry.SetValue(RegistryRoot::kLocalMachine, kTimeZoneKeyPath, kStandardStartValue,
                      {platform::kRegistryBinary, *c.pStandard});
  int iWritesBefore = registry.GetWriteCount();
  FakeZone zone;
  CTimeServer server(zone, registry);

  EXPECT_EQ(registry.GetOpenKeyCount(), 0) << "the key is closed again";
  if (!c.bRewritten) {
    EXPECT_EQ(registry.GetWriteCount(), iWritesBefore);
    return;
  }
  EXPECT_EQ(registry.GetWriteCount(), iWritesBefore + 2);
  const auto* pDay = registry.FindValue(RegistryRoot::kLocalMachine, kTimeZoneKeyPath, kDaylightStartValue);
  const auto* pStd = registry.FindValue(RegistryRoot::kLocalMachine, kTimeZoneKeyPath, kStandardStartValue);
  ASSERT_NE(pDay, nullptr);
  ASSERT_NE(pStd, nullptr);
  EXPECT_EQ(pDay->byData, kDayStart);
  EXPECT_EQ(pStd->byData, kStdStart);
  EXPECT_EQ(pDay->dwType, platform::kRegistryBinary);
  EXPECT_EQ(pStd->dwType, platform::kRegistryBinary);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TimeServerRegistryTest,
    testing::Values(RegistryCase{"BothEqual", true, &kDayStart, &kStdStart, false},
                    RegistryCase{"DaylightDiffersStandardMissing", true, &kDayOther, nullptr, true},
                    RegistryCase{"StandardDiffersOnly", true, &kDayStart, &kStdOther, true},
                    RegistryCase{"BothMissing", true, nullptr, nullptr, false},
                    RegistryCase{"NoKey", false, nullptr, nullptr, false},
                    RegistryCase{"ShortValueCountsAsDifferent", true, &kDayShort, &kStdStart, true},
                    RegistryCase{"EmptyStandardCountsAsDifferent", true, &kDayStart, &kDayEmpty, true},
                    RegistryCase{"LongerValueComparesFirstSixteen", true, &kDayLonger, &kStdStart, false},
                    RegistryCase{"UnreadableValueIsNotCompared", true, &kDayTooLong, &kStdStart, false}),
    [](const testing::TestParamInfo<RegistryCase>& info) { return std::string(info.param.pszName); });

}  // namespace
