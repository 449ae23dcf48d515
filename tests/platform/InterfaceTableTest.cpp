#include "platform/InterfaceTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/Ipv4Endpoint.h"
#include "platform/RouteSource.h"

namespace {

TEST(InterfaceTableTest, ListsTheLoopbackInterfaceWithItsFlags) {
  std::vector<platform::NetInterface> table{platform::NetInterface{}};
  ASSERT_TRUE(platform::ReadInterfaces(&table));
  auto loopback = std::find_if(table.begin(), table.end(),
                               [](const platform::NetInterface& e) { return e.dwAddress == platform::kLoopback; });
  ASSERT_NE(loopback, table.end()) << "127.0.0.1 is on every test machine";
  EXPECT_TRUE(loopback->bLoopback);
  EXPECT_TRUE(loopback->bUp);
  EXPECT_FALSE(loopback->sName.empty());
  EXPECT_EQ(loopback->dwMask, 0xFF000000u);
  for (const platform::NetInterface& entry : table) {
    SCOPED_TRACE(entry.sName);
    EXPECT_NE(entry.dwAddress, 0u);
    if (entry.bBroadcast) {
      EXPECT_EQ(entry.dwBroadcast, entry.dwAddress | ~entry.dwMask);
    } else {
      EXPECT_EQ(entry.dwBroadcast, 0u);
    }
  }
}

TEST(RouteSourceTest, LoopbackIsReachedFromLoopback) {
  // A routing look-up only: connect() on a datagram socket sends nothing.
  uint32_t dwSource = 0;
  ASSERT_TRUE(platform::RouteSourceAddress({0x7F000005u, 1444}, &dwSource));
  EXPECT_EQ(dwSource >> 24, 127u);
}

}  // namespace
