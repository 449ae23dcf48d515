#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "COMMON/TimeServer.h"
#include "platform/MemoryRegistry.h"
#include "platform/TimeZone.h"
#include "support/ScopedTz.h"

namespace {

using platform::MemoryRegistry;
using platform::TimeZoneInformation;

// The real process zone: each zone is set for this test process only, through TZ.
struct ProcessZoneCase {
  const char* pszZone;
  double dBiasHours;
};

void PrintTo(const ProcessZoneCase& c, std::ostream* pOut) { *pOut << c.pszZone; }

class TimeServerProcessZoneTest : public testing::TestWithParam<ProcessZoneCase> {};

TEST_P(TimeServerProcessZoneTest, ReportsTheZoneBiasAndLeavesTheMarchNovemberRuleInEffect) {
  ScopedTz scoped(GetParam().pszZone);
  MemoryRegistry registry;
  CTimeServer server(platform::SystemTimeZone(), registry);
  EXPECT_DOUBLE_EQ(server.GetBias(), GetParam().dBiasHours);

  TimeZoneInformation now;
  platform::SystemTimeZone().Query(&now);
  EXPECT_EQ(now.lBias, static_cast<int32_t>(GetParam().dBiasHours * 60));
  EXPECT_EQ(now.stDaylightDate.wMonth, 3);
  EXPECT_EQ(now.stDaylightDate.wDay, 2);
  EXPECT_EQ(now.stStandardDate.wMonth, 11);
  EXPECT_EQ(now.stStandardDate.wDay, 1);

  // Move to whole hours; the zone in effect follows.
  ASSERT_TRUE(server.SetBias(-3));
  EXPECT_DOUBLE_EQ(server.GetBias(), -3.0);
  platform::SystemTimeZone().Query(&now);
  EXPECT_EQ(now.lBias, -180);
}

INSTANTIATE_TEST_SUITE_P(Zones, TimeServerProcessZoneTest,
                         testing::Values(ProcessZoneCase{"Australia/Sydney", -10.0},
                                         ProcessZoneCase{"Asia/Tokyo", -9.0},
                                         ProcessZoneCase{"Asia/Kolkata", -5.5},
                                         ProcessZoneCase{"Australia/Adelaide", -9.5},
                                         ProcessZoneCase{"America/New_York", 5.0}),
                         [](const testing::TestParamInfo<ProcessZoneCase>& info) {
                           std::string sName = info.param.pszZone;
                           for (char& c : sName)
                             if (c == '/') c = '_';
                           return sName;
                         });

TEST(TimeServerInstanceTest, CreateFetchAndDestroyTheOneInstance) {
  DestroyTimeServer();
  EXPECT_EQ(GetTimeServer(), nullptr);
  ScopedTz scoped("Asia/Tokyo");
  CTimeServer* pServer = CreateTimeServer();
  ASSERT_NE(pServer, nullptr);
  EXPECT_EQ(GetTimeServer(), pServer);
  EXPECT_DOUBLE_EQ(pServer->GetBias(), -9.0);
  DestroyTimeServer();
  EXPECT_EQ(GetTimeServer(), nullptr);
  DestroyTimeServer();
  EXPECT_EQ(GetTimeServer(), nullptr);
}

}  // namespace
