#ifndef KESTO_TESTS_LOOPBACKPEER_H
#define KESTO_TESTS_LOOPBACKPEER_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/UdpSocket.h"
#include "support/LoopbackSocket.h"

// A UDP socket bound to 127.0.0.1 on a port the OS picks: plays a device in socket tests.
class LoopbackPeer {
 public:
  LoopbackPeer() {
    std::string error;
    m_socket = OpenLoopbackSocket(0, &error);
    EXPECT_TRUE(m_socket) << error;
    if (m_socket) m_socket->GetLocalEndpoint(&m_local);
  }

  platform::DatagramSocket& Socket() { return *m_socket; }
  platform::Ipv4Endpoint Endpoint() const { return m_local; }

  // Waits (bounded) for one datagram; returns its bytes and sender, or false.
  bool Receive(std::vector<uint8_t>* pBytes, platform::Ipv4Endpoint* pFrom, int iTimeoutMs = 2000) {
    if (!m_socket->WaitReadable(iTimeoutMs)) return false;
    pBytes->assign(2048, 0);
    long n = m_socket->ReceiveFrom(pBytes->data(), pBytes->size(), pFrom);
    if (n < 0) return false;
    pBytes->resize(static_cast<size_t>(n));
    return true;
  }

  void Send(const std::vector<uint8_t>& bytes, const platform::Ipv4Endpoint& to) {
    EXPECT_EQ(m_socket->SendTo(bytes.data(), bytes.size(), to), static_cast<int>(bytes.size()));
  }

 private:
  std::unique_ptr<platform::DatagramSocket> m_socket;
  platform::Ipv4Endpoint m_local;
};

#endif
