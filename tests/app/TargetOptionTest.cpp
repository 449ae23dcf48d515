#include "app/logic/TargetOption.h"

#include <gtest/gtest.h>

namespace {

TEST(TargetOptionTest, AcceptsOnlyAnAddressAndAPort) {
  const struct {
    const char* pszText;
    bool bOk;
    uint32_t dwAddress;
    uint16_t wPort;
  } cases[] = {
      {"127.0.0.1:1444", true, 0x7F000001u, 1444},
      {"127.0.0.2:65535", true, 0x7F000002u, 65535},
      {"127.0.0.1", false, 0, 0},
      {"127.0.0.1:", false, 0, 0},
      {"127.0.0.1:0", false, 0, 0},
      {"127.0.0.1:65536", false, 0, 0},
      {"127.0.0.1:14x4", false, 0, 0},
      {"127.0.0:1444", false, 0, 0},
      {"localhost:1444", false, 0, 0},
      {"", false, 0, 0},
  };
  for (const auto& c : cases) {
    platform::Ipv4Endpoint target{1, 1};
    std::string sError;
    EXPECT_EQ(ParseTargetOption(c.pszText, &target, &sError), c.bOk) << c.pszText;
    if (c.bOk) {
      EXPECT_EQ(target, (platform::Ipv4Endpoint{c.dwAddress, c.wPort})) << c.pszText;
    } else {
      EXPECT_EQ(target, (platform::Ipv4Endpoint{1, 1})) << c.pszText;
      EXPECT_FALSE(sError.empty());
    }
  }
}

}  // namespace
