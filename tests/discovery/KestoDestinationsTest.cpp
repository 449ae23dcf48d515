#include "discovery/KestoDestinations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include "support/InterfaceBuilder.h"

namespace {

constexpr uint32_t Ip(uint32_t a, uint32_t b, uint32_t c, uint32_t d) { return a << 24 | b << 16 | c << 8 | d; }

TEST(AddTargetRangeTest, GoodRanges) {
  struct Case {
    const char* pszText;
    size_t nCount;
    uint32_t dwFirst;
    uint32_t dwLast;
  };
  const Case cases[] = {
      {"10.202.2.7", 1, Ip(10, 202, 2, 7), Ip(10, 202, 2, 7)},
      {"10.202.2.7/32", 1, Ip(10, 202, 2, 7), Ip(10, 202, 2, 7)},
      {"10.202.2.7/31", 2, Ip(10, 202, 2, 6), Ip(10, 202, 2, 7)},       // both addresses are hosts
      {"10.202.2.9/30", 2, Ip(10, 202, 2, 9), Ip(10, 202, 2, 10)},      // network and broadcast left out
      {"10.202.2.0/28", 14, Ip(10, 202, 2, 1), Ip(10, 202, 2, 14)},
      {"192.168.1.77/24", 254, Ip(192, 168, 1, 1), Ip(192, 168, 1, 254)},  // host bits are ignored
      {"10.0.16.0/20", 4094, Ip(10, 0, 16, 1), Ip(10, 0, 31, 254)},
      {"255.255.255.255/20", 4094, Ip(255, 255, 240, 1), Ip(255, 255, 255, 254)},  // no wrap past the top
      {"0.0.0.0/30", 2, Ip(0, 0, 0, 1), Ip(0, 0, 0, 2)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pszText);
    std::vector<uint32_t> addresses;
    std::string sError;
    ASSERT_TRUE(AddTargetRange(c.pszText, &addresses, &sError)) << sError;
    ASSERT_EQ(addresses.size(), c.nCount);
    EXPECT_EQ(addresses.front(), c.dwFirst);
    EXPECT_EQ(addresses.back(), c.dwLast);
    for (size_t i = 1; i < addresses.size(); ++i) ASSERT_EQ(addresses[i], addresses[i - 1] + 1);
  }
}

TEST(AddTargetRangeTest, BadTextsChangeNothing) {
  const char* bad[] = {"",          "10.202.2",      "10.202.2.256", "10.202.2.1/",  "10.202.2.1/19",
                       "10.202.2.1/33", "10.202.2.1/0", "10.202.2.1/-4", "10.202.2.1/2x", "10.202.2.1/024",
                       "host.example", " 10.202.2.1",  "10.202.2.1/24/8", "10.202.2.1 /24"};
  for (const char* pszText : bad) {
    SCOPED_TRACE(pszText);
    std::vector<uint32_t> addresses{Ip(10, 0, 0, 1)};
    std::string sError;
    EXPECT_FALSE(AddTargetRange(pszText, &addresses, &sError));
    EXPECT_FALSE(sError.empty());
    EXPECT_EQ(addresses.size(), 1u);
  }
}

TEST(AddTargetRangeTest, TheTotalIsBoundAt4096) {
  std::vector<uint32_t> addresses;
  std::string sError;
  ASSERT_TRUE(AddTargetRange("10.0.0.0/20", &addresses, &sError));  // 4094
  ASSERT_TRUE(AddTargetRange("10.1.0.0/31", &addresses, &sError));  // 4096 exactly
  EXPECT_EQ(addresses.size(), 4096u);
  EXPECT_FALSE(AddTargetRange("10.2.0.9", &addresses, &sError));
  EXPECT_NE(sError.find("4096"), std::string::npos) << sError;
  EXPECT_EQ(addresses.size(), 4096u);

  std::vector<uint32_t> two;
  ASSERT_TRUE(AddTargetRange("10.0.0.0/20", &two, &sError));
  EXPECT_FALSE(AddTargetRange("10.9.0.0/29", &two, &sError)) << "4094 + 6 is over the bound";
  EXPECT_EQ(two.size(), 4094u);
}

platform::NetInterface Iface(const char* pszName, uint32_t dwAddress, int iPrefix, bool bUp = true,
                             bool bBroadcast = true, bool bLoopback = false) {
  return MakeInterface(pszName, dwAddress, PrefixMask(iPrefix), bUp, bBroadcast, bLoopback);
}

TEST(BroadcastEndpointsTest, Table) {
  const std::vector<platform::NetInterface> table = {
      Iface("lo", Ip(127, 0, 0, 1), 8, true, false, true),
      Iface("eth0", Ip(10, 202, 1, 1), 24),
      Iface("eth1", Ip(10, 202, 2, 1), 24),
      Iface("eth1", Ip(192, 168, 9, 1), 16),            // a second address on eth1
      Iface("eth2", Ip(10, 202, 3, 1), 24, false),      // down
      Iface("tun0", Ip(10, 8, 0, 2), 24, true, false),  // point to point: no broadcast
      Iface("dup0", Ip(10, 202, 2, 9), 24),             // same subnet as eth1: sent once
      Iface("host0", Ip(10, 9, 9, 9), 32),              // a /32 has no directed broadcast
  };
  const platform::Ipv4Endpoint limited{platform::kLimitedBroadcast, 1444};
  const platform::Ipv4Endpoint explicitTarget{platform::kLoopback, 14440};
  const platform::Ipv4Endpoint b1{Ip(10, 202, 1, 255), 1444}, b2{Ip(10, 202, 2, 255), 1444},
      b9{Ip(192, 168, 255, 255), 1444};
  struct Case {
    const char* pszName;
    KestoDestinations destinations;
    platform::Ipv4Endpoint endpLimited;
    uint32_t dwLimitedSource;
    std::vector<platform::Ipv4Endpoint> expected;
  };
  KestoDestinations everything;
  KestoDestinations limitedOnly;
  limitedOnly.bEveryAdapter = false;
  KestoDestinations adaptersOnly;
  adaptersOnly.bLimitedBroadcast = false;
  KestoDestinations none;
  none.bLimitedBroadcast = none.bEveryAdapter = false;
  KestoDestinations onlyEth1;
  onlyEth1.vecInterfaces = {"eth1"};
  KestoDestinations onlyDown;
  onlyDown.vecInterfaces = {"eth2", "lo"};
  const Case cases[] = {
      {"default: limited and every usable adapter", everything, limited, 0, {limited, b1, b2, b9}},
      {"the limited broadcast's own link is not sent twice", everything, limited, Ip(10, 202, 1, 1),
       {limited, b2, b9}},
      // dup0 is another interface on eth1's subnet: it still gets its (shared) broadcast.
      {"every address of that link is skipped", everything, limited, Ip(192, 168, 9, 1), {limited, b1, b2}},
      {"an unknown source skips nothing", everything, limited, Ip(1, 2, 3, 4), {limited, b1, b2, b9}},
      {"adapters off", limitedOnly, limited, 0, {limited}},
      {"limited off", adaptersOnly, limited, Ip(10, 202, 1, 1), {b1, b2, b9}},
      {"nothing", none, limited, 0, {}},
      {"interface filter leaves out the limited broadcast", onlyEth1, limited, Ip(10, 202, 2, 1), {b2, b9}},
      {"filter naming only unusable interfaces", onlyDown, limited, 0, {}},
      {"an explicit target replaces both", everything, explicitTarget, 0, {explicitTarget}},
      {"an explicit target ignores the filter", onlyEth1, explicitTarget, 0, {explicitTarget}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pszName);
    EXPECT_EQ(BroadcastEndpoints(c.destinations, 1444, c.endpLimited, table, c.dwLimitedSource), c.expected);
  }
  EXPECT_EQ(BroadcastEndpoints(everything, 1444, limited, {}), (std::vector<platform::Ipv4Endpoint>{limited}));
}

TEST(BroadcastEndpointsTest, UsableAndUnusableNames) {
  const std::vector<platform::NetInterface> table = {
      Iface("lo", Ip(127, 0, 0, 1), 8, true, false, true), Iface("eth0", Ip(10, 202, 1, 1), 24),
      Iface("eth0", Ip(10, 202, 7, 1), 24), Iface("eth2", Ip(10, 202, 3, 1), 24, false),
      Iface("tun0", Ip(10, 8, 0, 2), 24, true, false)};
  EXPECT_EQ(UsableInterfaceNames(table), (std::vector<std::string>{"eth0"}));
  EXPECT_EQ(UnusableInterfaces({"eth0", "eth2", "lo", "tun0", "nope", "eth2"}, table),
            (std::vector<std::string>{"eth2", "lo", "tun0", "nope"}));
  EXPECT_TRUE(UnusableInterfaces({"eth0"}, table).empty());
}

}  // namespace
