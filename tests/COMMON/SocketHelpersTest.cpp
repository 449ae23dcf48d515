#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "COMMON/ZNSocket.h"
#include "platform/SocketCalls.h"

namespace {

using platform::kInvalidSocket;
using platform::SocketAddress;
using platform::SocketHandle;

// Closes the handle at the end of the test.
class OwnedSocket {
 public:
  explicit OwnedSocket(SocketHandle s = kInvalidSocket) : m_s(s) {}
  OwnedSocket(const OwnedSocket&) = delete;
  OwnedSocket& operator=(const OwnedSocket&) = delete;
  ~OwnedSocket() {
    if (m_s != kInvalidSocket) platform::CloseSocketHandle(m_s);
  }
  SocketHandle Get() const { return m_s; }
  void Reset(SocketHandle s) {
    if (m_s != kInvalidSocket) platform::CloseSocketHandle(m_s);
    m_s = s;
  }
  SocketHandle Release() {
    SocketHandle s = m_s;
    m_s = kInvalidSocket;
    return s;
  }

 private:
  SocketHandle m_s;
};

SocketAddress Loopback(uint16_t shPort) {
  SocketAddress address;
  MakeSockAddr(address, 127, 0, 0, 1, shPort);
  return address;
}

uint16_t PortOf(SocketHandle s) {
  SocketAddress address;
  if (!platform::GetSocketName(s, &address)) return 0;
  uint8_t b1, b2, b3, b4;
  uint16_t shPort = 0;
  SplitSockAddr(address, b1, b2, b3, b4, shPort);
  return shPort;
}

// A UDP socket on 127.0.0.1 with a port of the system's choosing.
SocketHandle BoundUdp() {
  SocketHandle s = platform::OpenDatagramSocket();
  if (s != kInvalidSocket && !platform::BindSocket(s, Loopback(0))) {
    platform::CloseSocketHandle(s);
    return kInvalidSocket;
  }
  return s;
}

struct TcpPair {
  OwnedSocket listener;
  OwnedSocket client;
  OwnedSocket server;
};

// A listener on 127.0.0.1, a client connected to it through the helpers, and the accepted end.
void MakeTcpPair(TcpPair* pPair) {
  SocketHandle listener = platform::OpenStreamSocket();
  ASSERT_NE(listener, kInvalidSocket);
  pPair->listener.Reset(listener);
  ASSERT_TRUE(platform::BindSocket(listener, Loopback(0)));
  ASSERT_TRUE(platform::ListenSocket(listener, 1));
  SocketHandle client = ConnectToNamedHost("127.0.0.1", PortOf(listener));
  ASSERT_NE(client, kInvalidSocket);
  pPair->client.Reset(client);
  SocketHandle server = platform::AcceptSocket(listener);
  ASSERT_NE(server, kInvalidSocket);
  pPair->server.Reset(server);
}

// Reads from a stream until nSize bytes came or it stops delivering, in bounded steps.
std::string ReadStream(SocketHandle s, size_t nSize) {
  std::string sData;
  for (int i = 0; i < 100 && sData.size() < nSize; ++i) {
    if (!platform::WaitSocketReadable(s, 1000)) break;
    char byBuffer[256];
    long lReceived = ReceiveDatagram(s, byBuffer, std::min(sizeof byBuffer, nSize - sData.size()), nullptr);
    if (lReceived <= 0) break;
    sData.append(byBuffer, static_cast<size_t>(lReceived));
  }
  return sData;
}

TEST(SocketHelpersTest, NonBlockingReceiveReturnsAtOnceAndBlockingWaitsForData) {
  OwnedSocket receiver(BoundUdp());
  OwnedSocket sender(BoundUdp());
  ASSERT_NE(receiver.Get(), kInvalidSocket);
  ASSERT_TRUE(SetNonBlocking(receiver.Get()));
  char byBuffer[16];
  EXPECT_EQ(ReceiveDatagram(receiver.Get(), byBuffer, sizeof byBuffer, nullptr), -1);

  ASSERT_TRUE(SetBlocking(receiver.Get()));
  ASSERT_EQ(platform::SendToSocket(sender.Get(), "abc", 3, Loopback(PortOf(receiver.Get()))), 3);
  // Blocking again: the receive takes the datagram, waiting for it if need be.
  EXPECT_EQ(ReceiveDatagram(receiver.Get(), byBuffer, sizeof byBuffer, nullptr), 3);

  EXPECT_FALSE(SetNonBlocking(kInvalidSocket));
  EXPECT_FALSE(SetBlocking(kInvalidSocket));
}

TEST(SocketHelpersTest, PendingBytesCountsWaitingDataAndClearsOnFailure) {
  OwnedSocket receiver(BoundUdp());
  OwnedSocket sender(BoundUdp());
  unsigned long ulQue = 99;
  ASSERT_TRUE(GetPendingBytes(receiver.Get(), ulQue));
  EXPECT_EQ(ulQue, 0u);

  std::vector<char> byData(37, 'x');
  ASSERT_EQ(platform::SendToSocket(sender.Get(), byData.data(), byData.size(), Loopback(PortOf(receiver.Get()))), 37);
  ASSERT_TRUE(platform::WaitSocketReadable(receiver.Get(), 1000));
  ASSERT_TRUE(GetPendingBytes(receiver.Get(), ulQue));
  EXPECT_EQ(ulQue, 37u);

  TcpPair pair;
  MakeTcpPair(&pair);
  ASSERT_TRUE(SendString(pair.client.Get(), "hello"));
  ASSERT_TRUE(platform::WaitSocketReadable(pair.server.Get(), 1000));
  ASSERT_TRUE(GetPendingBytes(pair.server.Get(), ulQue));
  EXPECT_EQ(ulQue, 5u);

  ulQue = 99;
  EXPECT_FALSE(GetPendingBytes(kInvalidSocket, ulQue));
  EXPECT_EQ(ulQue, 0u);
}

TEST(SocketHelpersTest, ReadyToSendUntilTheSendBufferIsFull) {
  EXPECT_FALSE(IsReadyToSend(kInvalidSocket));
  OwnedSocket udp(BoundUdp());
  EXPECT_TRUE(IsReadyToSend(udp.Get()));

  TcpPair pair;
  MakeTcpPair(&pair);
  EXPECT_TRUE(IsReadyToSend(pair.client.Get()));
  // The peer never reads, so the buffers on both sides fill up.
  ASSERT_TRUE(SetNonBlocking(pair.client.Get()));
  std::vector<char> byChunk(64 * 1024, 'z');
  bool bFull = false;
  for (int i = 0; i < 4096 && !bFull; ++i)
    bFull = platform::SendOnSocket(pair.client.Get(), byChunk.data(), byChunk.size()) < 0;
  ASSERT_TRUE(bFull) << "the loopback buffers never filled";
  EXPECT_FALSE(IsReadyToSend(pair.client.Get()));
}

TEST(SocketHelpersTest, ReceiveExactIsTrueOnlyForTheWholeSize) {
  OwnedSocket receiver(BoundUdp());
  OwnedSocket sender(BoundUdp());
  SocketAddress to = Loopback(PortOf(receiver.Get()));
  std::vector<char> byHundred(100, 'a');
  std::vector<char> bySixty(60, 'b');
  std::vector<char> byLonger(120, 'c');
  char byBuffer[100];

  ASSERT_EQ(platform::SendToSocket(sender.Get(), byHundred.data(), byHundred.size(), to), 100);
  SocketAddress from;
  ASSERT_TRUE(ReceiveExact(receiver.Get(), byBuffer, sizeof byBuffer, &from));
  EXPECT_EQ(GetSockAddrText(from), "127.0.0.1");
  uint8_t b1, b2, b3, b4;
  uint16_t shPort = 0;
  SplitSockAddr(from, b1, b2, b3, b4, shPort);
  EXPECT_EQ(shPort, PortOf(sender.Get()));

  ASSERT_EQ(platform::SendToSocket(sender.Get(), bySixty.data(), bySixty.size(), to), 60);
  EXPECT_FALSE(ReceiveExact(receiver.Get(), byBuffer, sizeof byBuffer, nullptr));

  // A datagram too long for the buffer is not "exactly the size": it fails, as on Windows.
  ASSERT_EQ(platform::SendToSocket(sender.Get(), byLonger.data(), byLonger.size(), to), 120);
  EXPECT_FALSE(ReceiveExact(receiver.Get(), byBuffer, sizeof byBuffer, nullptr));

  ASSERT_TRUE(SetNonBlocking(receiver.Get()));
  EXPECT_FALSE(ReceiveExact(receiver.Get(), byBuffer, sizeof byBuffer, nullptr)) << "nothing left waiting";
}

TEST(SocketHelpersTest, ReceiveDatagramGivesTheCountOrMinusOne) {
  OwnedSocket receiver(BoundUdp());
  OwnedSocket sender(BoundUdp());
  SocketAddress to = Loopback(PortOf(receiver.Get()));
  char byBuffer[64];
  ASSERT_EQ(platform::SendToSocket(sender.Get(), "0123456789", 10, to), 10);
  SocketAddress from;
  EXPECT_EQ(ReceiveDatagram(receiver.Get(), byBuffer, sizeof byBuffer, &from), 10);
  EXPECT_EQ(std::string(byBuffer, 10), "0123456789");
  EXPECT_EQ(from.shFamily, platform::kAddressFamilyInet);

  ASSERT_EQ(platform::SendToSocket(sender.Get(), "", 0, to), 0);
  EXPECT_EQ(ReceiveDatagram(receiver.Get(), byBuffer, sizeof byBuffer, nullptr), 0) << "an empty datagram";

  ASSERT_EQ(platform::SendToSocket(sender.Get(), byBuffer, 64, to), 64);
  EXPECT_EQ(ReceiveDatagram(receiver.Get(), byBuffer, 10, nullptr), -1) << "cut datagram";

  ASSERT_TRUE(SetNonBlocking(receiver.Get()));
  EXPECT_EQ(ReceiveDatagram(receiver.Get(), byBuffer, sizeof byBuffer, nullptr), -1);
  EXPECT_EQ(ReceiveDatagram(kInvalidSocket, byBuffer, sizeof byBuffer, nullptr), -1);
}

TEST(SocketHelpersTest, SendStringSendsTheCharactersWithoutTerminator) {
  TcpPair pair;
  MakeTcpPair(&pair);
  EXPECT_TRUE(SendString(pair.client.Get(), "GET /\r\n"));
  // An empty text sends nothing and still succeeds; the next text follows directly.
  EXPECT_TRUE(SendString(pair.client.Get(), ""));
  EXPECT_TRUE(SendString(pair.client.Get(), "X"));
  EXPECT_EQ(ReadStream(pair.server.Get(), 8), "GET /\r\nX");

  EXPECT_FALSE(SendString(kInvalidSocket, "abc"));
  OwnedSocket unconnected(platform::OpenStreamSocket());
  EXPECT_FALSE(SendString(unconnected.Get(), "abc"));
}

TEST(SocketHelpersTest, CloseSocketEndsTheConnection) {
  TcpPair pair;
  MakeTcpPair(&pair);
  CloseSocket(pair.server.Release());
  ASSERT_TRUE(platform::WaitSocketReadable(pair.client.Get(), 1000));
  char byBuffer[4];
  EXPECT_EQ(ReceiveDatagram(pair.client.Get(), byBuffer, sizeof byBuffer, nullptr), 0) << "the peer saw the close";
}

TEST(ServiceHostTest, ConnectUsesTheLowSixteenBitsOfThePort) {
  OwnedSocket listener(platform::OpenStreamSocket());
  ASSERT_TRUE(platform::BindSocket(listener.Get(), Loopback(0)));
  ASSERT_TRUE(platform::ListenSocket(listener.Get(), 1));
  OwnedSocket client(ConnectToNamedHost("127.0.0.1", 0x10000 + PortOf(listener.Get())));
  ASSERT_NE(client.Get(), kInvalidSocket);
  OwnedSocket server(platform::AcceptSocket(listener.Get()));
  EXPECT_NE(server.Get(), kInvalidSocket);
}

TEST(ServiceHostTest, RefusedConnectionGivesMinusOne) {
  // Bound but not listening: the connection is refused at once.
  OwnedSocket bound(platform::OpenStreamSocket());
  ASSERT_TRUE(platform::BindSocket(bound.Get(), Loopback(0)));
  EXPECT_EQ(ConnectToNamedHost("127.0.0.1", PortOf(bound.Get())), kInvalidSocket);
}

TEST(ServiceHostTest, FixedNameIsAReservedName) {
  // Nothing may reach a real host until the maker's name is known.
  EXPECT_TRUE(std::string(kServiceHostName).ends_with(".example")) << kServiceHostName;
}

TEST(LocalAddressTest, TableListsLoopback) {
  unsigned uCount = GetLocalAddressCount();
  ASSERT_GT(uCount, 0u);
  const uint32_t dwLoopback = 127u | 1u << 24;  // bytes 127, 0, 0, 1 in memory
  bool bFound = false;
  for (unsigned i = 0; i < uCount; ++i) {
    uint32_t dwMask = 0;
    uint32_t dwAddress = 0;
    ASSERT_TRUE(GetLocalAddressEntry(i, &dwMask, &dwAddress));
    if (dwAddress == dwLoopback) {
      bFound = true;
      EXPECT_EQ(AddressToText(dwMask), "255.0.0.0");
    }
  }
  EXPECT_TRUE(bFound);
}

TEST(LocalAddressTest, EntryPastTheEndLeavesTheOutputsUntouched) {
  unsigned uCount = GetLocalAddressCount();
  uint32_t dwMask = 0xDEAD;
  uint32_t dwAddress = 0xBEEF;
  EXPECT_FALSE(GetLocalAddressEntry(uCount, &dwMask, &dwAddress));
  EXPECT_EQ(dwMask, 0xDEADu);
  EXPECT_EQ(dwAddress, 0xBEEFu);
  EXPECT_TRUE(GetLocalAddressEntry(0, nullptr, nullptr));

  SocketAddress address;
  MakeSockAddr(address, 9, 9, 9, 9, 4321);
  std::memset(address.byZero, 0x77, sizeof address.byZero);
  EXPECT_FALSE(GetLocalAddress(uCount, address));
  EXPECT_EQ(GetSockAddrText(address), "9.9.9.9");
}

TEST(LocalAddressTest, GetLocalAddressWritesOnlyTheAddressField) {
  SocketAddress address;
  MakeSockAddr(address, 9, 9, 9, 9, 4321);
  std::memset(address.byZero, 0x77, sizeof address.byZero);
  ASSERT_TRUE(GetFirstLocalAddress(address));
  uint32_t dwFirst = 0;
  ASSERT_TRUE(GetLocalAddressEntry(0, nullptr, &dwFirst));
  EXPECT_EQ(GetSockAddrText(address), AddressToText(dwFirst));
  uint8_t b1, b2, b3, b4;
  uint16_t shPort = 0;
  SplitSockAddr(address, b1, b2, b3, b4, shPort);
  EXPECT_EQ(shPort, 4321);
  EXPECT_EQ(address.shFamily, platform::kAddressFamilyInet);
  for (uint8_t by : address.byZero) EXPECT_EQ(by, 0x77);
}

}  // namespace
