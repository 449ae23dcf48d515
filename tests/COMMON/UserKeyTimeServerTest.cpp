#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "COMMON/TimeServer.h"
#include "platform/Registry.h"
#include "platform/TickCount.h"
#include "platform/TimeZone.h"

// The time-zone service against the system's registry (the real one on Windows),
// with the rule's copy kept under a current-user key this test makes and deletes.
// The zone is a fake, so the machine's zone is never changed.
namespace {

using platform::RegistryKey;
using platform::RegistryRoot;

const std::vector<uint8_t> kDayStart = {0, 0, 3, 0, 0, 0, 2, 0, 2, 0, 0, 0, 0, 0, 0, 0};
const std::vector<uint8_t> kStdStart = {0, 0, 11, 0, 0, 0, 1, 0, 2, 0, 0, 0, 0, 0, 0, 0};

class QuietZone : public platform::TimeZoneAccess {
 public:
  uint32_t Query(platform::TimeZoneInformation* pInfo) override {
    *pInfo = platform::TimeZoneInformation{};
    pInfo->lBias = -60;
    return platform::kTimeZoneIdStandard;
  }
  bool Apply(const platform::TimeZoneInformation&) override {
    ++m_iApplied;
    return true;
  }
  int m_iApplied = 0;
};

class UserKeyTimeServerTest : public testing::Test {
 protected:
  void SetUp() override {
    m_sPath = "Software\\KestoManagerTests\\TimeServer-" + std::to_string(platform::GetTickCount32());
    ASSERT_TRUE(m_registry.CreateKey(RegistryRoot::kCurrentUser, m_sPath));
  }
  void TearDown() override {
    EXPECT_TRUE(m_registry.DeleteKeyTree(RegistryRoot::kCurrentUser, m_sPath));
    RegistryKey key = platform::kNoRegistryKey;
    EXPECT_FALSE(m_registry.OpenKey(RegistryRoot::kCurrentUser, m_sPath, &key)) << "the test key is gone";
    m_registry.DeleteKeyTree(RegistryRoot::kCurrentUser, "Software\\KestoManagerTests");
  }

  void Write(const char* pszName, const std::vector<uint8_t>& byValue) {
    RegistryKey key = platform::kNoRegistryKey;
    ASSERT_TRUE(m_registry.OpenKey(RegistryRoot::kCurrentUser, m_sPath, &key));
    EXPECT_TRUE(m_registry.WriteValue(key, pszName, platform::kRegistryBinary, byValue.data(),
                                      static_cast<uint32_t>(byValue.size())));
    m_registry.CloseKey(key);
  }

  // The value's bytes, or none when it cannot be read.
  std::vector<uint8_t> Read(const char* pszName) {
    RegistryKey key = platform::kNoRegistryKey;
    EXPECT_TRUE(m_registry.OpenKey(RegistryRoot::kCurrentUser, m_sPath, &key));
    std::vector<uint8_t> byValue(64);
    uint32_t dwSize = static_cast<uint32_t>(byValue.size());
    uint32_t dwType = 0;
    const bool bRead = m_registry.ReadValue(key, pszName, &dwType, byValue.data(), &dwSize);
    m_registry.CloseKey(key);
    if (!bRead) return {};
    EXPECT_EQ(dwType, platform::kRegistryBinary);
    byValue.resize(dwSize);
    return byValue;
  }

  TimeServerKey Key() const { return TimeServerKey{RegistryRoot::kCurrentUser, m_sPath}; }

  platform::Registry& m_registry = platform::SystemRegistry();
  std::string m_sPath;
};

TEST_F(UserKeyTimeServerTest, BothValuesMissingWritesNothing) {
  QuietZone zone;
  CTimeServer server(zone, m_registry, Key());
  EXPECT_EQ(zone.m_iApplied, 1);
  EXPECT_TRUE(Read(kDaylightStartValue).empty());
  EXPECT_TRUE(Read(kStandardStartValue).empty());
}

TEST_F(UserKeyTimeServerTest, OneDifferentValueRewritesBothInTheGivenKey) {
  Write(kDaylightStartValue, {0, 0, 4, 0, 0, 0, 1, 0, 2, 0, 0, 0, 0, 0, 0, 0});
  QuietZone zone;
  CTimeServer server(zone, m_registry, Key());
  EXPECT_EQ(Read(kDaylightStartValue), kDayStart);
  EXPECT_EQ(Read(kStandardStartValue), kStdStart);
  EXPECT_DOUBLE_EQ(server.GetBias(), -1.0);
}

TEST_F(UserKeyTimeServerTest, EqualValuesStayAsTheyAre) {
  Write(kDaylightStartValue, kDayStart);
  Write(kStandardStartValue, kStdStart);
  QuietZone zone;
  CTimeServer server(zone, m_registry, Key());
  EXPECT_EQ(Read(kDaylightStartValue), kDayStart);
  EXPECT_EQ(Read(kStandardStartValue), kStdStart);
}

TEST_F(UserKeyTimeServerTest, ALongValueReportsItsLengthWhenTheReadIsTooSmall) {
  Write("Long", std::vector<uint8_t>(40, 0xAA));
  RegistryKey key = platform::kNoRegistryKey;
  ASSERT_TRUE(m_registry.OpenKey(RegistryRoot::kCurrentUser, m_sPath, &key));
  uint8_t byRead[32] = {};
  uint32_t dwSize = sizeof byRead;
  EXPECT_FALSE(m_registry.ReadValue(key, "Long", nullptr, byRead, &dwSize));
  EXPECT_EQ(dwSize, 40u);
  m_registry.CloseKey(key);
}

}  // namespace
