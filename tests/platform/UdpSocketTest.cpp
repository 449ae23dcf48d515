#include "platform/UdpSocket.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/LoopbackPeer.h"

namespace {

TEST(UdpSocketTest, ReceiveReportsTheTrueLengthOfEveryDatagram) {
  LoopbackPeer sender, receiver;
  const size_t lengths[] = {0, 1, 99, 100, 101, 1472, 65507};
  for (size_t n : lengths) sender.Send(std::vector<uint8_t>(n, 0xA5), receiver.Endpoint());
  for (size_t n : lengths) {
    ASSERT_TRUE(receiver.Socket().WaitReadable(2000)) << n;
    EXPECT_TRUE(receiver.Socket().IsDatagramWaiting()) << "even an empty datagram counts as waiting";
    uint8_t buffer[100];
    platform::Ipv4Endpoint from;
    EXPECT_EQ(receiver.Socket().ReceiveFrom(buffer, sizeof buffer, &from), static_cast<long>(n));
    EXPECT_EQ(from, sender.Endpoint());
  }
  EXPECT_FALSE(receiver.Socket().IsDatagramWaiting());
  uint8_t buffer[8];
  EXPECT_EQ(receiver.Socket().ReceiveFrom(buffer, sizeof buffer, nullptr), -1) << "nothing waits: no blocking";
}

TEST(UdpSocketTest, PendingBytesAndLocalPort) {
  LoopbackPeer sender, receiver;
  EXPECT_NE(receiver.Endpoint().wPort, 0);
  EXPECT_EQ(receiver.Endpoint().dwAddress, platform::kLoopback);
  sender.Send(std::vector<uint8_t>(100, 1), receiver.Endpoint());
  ASSERT_TRUE(receiver.Socket().WaitReadable(2000));
  unsigned long ulQue = 0;
  ASSERT_TRUE(receiver.Socket().GetPendingBytes(&ulQue));
  EXPECT_EQ(ulQue, 100u);
}

TEST(UdpSocketTest, PendingBytesCoverAtLeastTheFirstDatagram) {
  // Windows counts every waiting datagram, Linux the first one only.
  LoopbackPeer sender, receiver;
  sender.Send(std::vector<uint8_t>(100, 1), receiver.Endpoint());
  sender.Send(std::vector<uint8_t>(50, 2), receiver.Endpoint());
  ASSERT_TRUE(receiver.Socket().WaitReadable(2000));
  unsigned long ulQue = 0;
  ASSERT_TRUE(receiver.Socket().GetPendingBytes(&ulQue));
  // 150 needs the second to have arrived, which loopback does at once but need not.
  EXPECT_TRUE(ulQue == 100u || ulQue == 150u) << ulQue;
  uint8_t buffer[100];
  EXPECT_EQ(receiver.Socket().ReceiveFrom(buffer, sizeof buffer, nullptr), 100);
  ASSERT_TRUE(receiver.Socket().WaitReadable(2000));
  EXPECT_EQ(receiver.Socket().ReceiveFrom(buffer, sizeof buffer, nullptr), 50);
  EXPECT_FALSE(receiver.Socket().IsDatagramWaiting());
}

TEST(UdpSocketTest, ReceiveBufferRequestIsHonouredOrCapped) {
  platform::UdpSocketOptions options;
  options.iReceiveBufferBytes = 1 << 20;
  std::string error;
  auto socket = platform::OpenUdpSocket(options, &error);
  ASSERT_TRUE(socket) << error;
  EXPECT_GT(platform::GetReceiveBufferBytes(*socket), 200000);
}

TEST(UdpSocketTest, BindFailureIsReported) {
  LoopbackPeer taken;
  platform::UdpSocketOptions options;
  options.bBind = true;
  options.endpBind = taken.Endpoint();
  std::string error;
  EXPECT_EQ(platform::OpenUdpSocket(options, &error), nullptr);
  EXPECT_NE(error.find("bind"), std::string::npos) << error;
}

}  // namespace
