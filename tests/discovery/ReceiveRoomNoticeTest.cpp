#include "discovery/ReceiveRoomNotice.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/UdpSocket.h"
#include "support/FakeDatagramSocket.h"
#include "support/LoopbackSocket.h"

namespace {

// The size is read back from the OS, not taken from the request: a small buffer
// is named with the room it really has, and a list no larger than that needs no notice.
TEST(ReceiveRoomNoticeTest, NamesTheRoomTheOsGranted) {
  auto socket = OpenLoopbackSocket(16384);
  ASSERT_TRUE(socket);
  const long lRoom = platform::GetReceiveBufferDatagrams(*socket, 100);
  ASSERT_GT(lRoom, 0);
  struct Case {
    size_t nMaxEntries;
    bool bNotice;
  };
  const Case cases[] = {{16384, true}, {static_cast<size_t>(lRoom) + 1, true}, {static_cast<size_t>(lRoom), false}, {1, false}};
  for (const Case& c : cases) {
    const std::string sNotice = ReceiveRoomNotice(socket.get(), c.nMaxEntries);
    EXPECT_EQ(!sNotice.empty(), c.bNotice) << c.nMaxEntries << ": " << sNotice;
    if (c.bNotice) {
      EXPECT_NE(sNotice.find("about " + std::to_string(lRoom) + " answers"), std::string::npos) << sNotice;
      EXPECT_NE(sNotice.find(std::to_string(c.nMaxEntries) + " devices"), std::string::npos) << sNotice;
    }
  }
}

TEST(ReceiveRoomNoticeTest, SaysNothingWhenTheSizeIsUnknown) {
  FakeDatagramSocket fake;
  EXPECT_EQ(ReceiveRoomNotice(&fake, 16384), "");
  EXPECT_EQ(ReceiveRoomNotice(nullptr, 16384), "");
}

}  // namespace
