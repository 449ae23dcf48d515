#ifndef KESTO_TESTS_FAKEDATAGRAMSOCKET_H
#define KESTO_TESTS_FAKEDATAGRAMSOCKET_H

#include <algorithm>
#include <cstring>
#include <deque>
#include <vector>

#include "platform/DatagramSocket.h"
#include "support/FakeClock.h"

// An in-memory socket: tests queue inbound datagrams and read what was sent.
// Behaves like a Linux UDP socket: reads report the true length, cut to the buffer.
class FakeDatagramSocket : public platform::DatagramSocket {
 public:
  struct Sent {
    std::vector<uint8_t> bytes;
    platform::Ipv4Endpoint to;
  };

  void Queue(std::vector<uint8_t> bytes, platform::Ipv4Endpoint from = {0x0A000001u, 1444}) {
    m_inbound.push_back({std::move(bytes), from});
  }

  std::vector<Sent> sent;
  bool bFailSends = false;
  // Sends to these addresses fail (an adapter gone, no route), the others go out.
  std::vector<uint32_t> failTo;
  // Sends that must not wait find the buffer full once this many more have gone out
  // (negative: never full).
  int iNoWaitRoom = -1;

  // A send buffer of this many bytes that tells its unsent bytes (negative: it tells
  // nothing). Datagrams to addresses in dwHeldNet/dwHeldMask (on-link hosts nobody
  // resolves) stay charged kHeldBytes each until DrainHeld(); others leave at once.
  static constexpr unsigned long kHeldBytes = 1152;
  long lSendBufferBytes = -1;
  uint32_t dwHeldNet = 0, dwHeldMask = 0xFFFFFFFFu;
  unsigned long ulUnsent = 0;
  void DrainHeld() { ulUnsent = 0; }
  // Each read moves this clock on (a slow reader); null leaves time alone.
  FakeClock* pClockPerRead = nullptr;
  uint32_t dwMsPerRead = 1;

  int SendToNoWait(const void* pData, size_t nSize, const platform::Ipv4Endpoint& to) override {
    if (iNoWaitRoom == 0) return kSendWouldBlock;
    const bool bHeld = lSendBufferBytes >= 0 && dwHeldMask != 0xFFFFFFFFu && (to.dwAddress & dwHeldMask) == dwHeldNet;
    if (lSendBufferBytes >= 0 && ulUnsent + kHeldBytes > static_cast<unsigned long>(lSendBufferBytes))
      return kSendWouldBlock;
    const int iSent = SendTo(pData, nSize, to);
    if (iSent >= 0 && iNoWaitRoom > 0) --iNoWaitRoom;
    if (iSent >= 0 && bHeld) ulUnsent += kHeldBytes;
    return iSent;
  }
  bool GetUnsentBytes(unsigned long* pulBytes) override {
    if (lSendBufferBytes < 0) return false;
    *pulBytes = ulUnsent;
    return true;
  }

  int SendTo(const void* pData, size_t nSize, const platform::Ipv4Endpoint& to) override {
    if (bFailSends) return -1;
    if (std::find(failTo.begin(), failTo.end(), to.dwAddress) != failTo.end()) return -1;
    const auto* p = static_cast<const uint8_t*>(pData);
    sent.push_back({std::vector<uint8_t>(p, p + nSize), to});
    return static_cast<int>(nSize);
  }
  bool GetPendingBytes(unsigned long* pulBytes) override {
    *pulBytes = m_inbound.empty() ? 0 : m_inbound.front().bytes.size();
    return true;
  }
  bool IsDatagramWaiting() override { return !m_inbound.empty(); }
  bool WaitReadable(int) override { return !m_inbound.empty(); }
  long ReceiveFrom(void* pBuffer, size_t nCapacity, platform::Ipv4Endpoint* pFrom) override {
    if (m_inbound.empty()) return -1;
    if (pClockPerRead != nullptr) pClockPerRead->Advance(dwMsPerRead);
    Sent datagram = std::move(m_inbound.front());
    m_inbound.pop_front();
    const size_t nCopy = datagram.bytes.size() < nCapacity ? datagram.bytes.size() : nCapacity;
    if (nCopy > 0) std::memcpy(pBuffer, datagram.bytes.data(), nCopy);
    if (pFrom) *pFrom = datagram.to;
    return static_cast<long>(datagram.bytes.size());
  }
  bool GetLocalEndpoint(platform::Ipv4Endpoint* pLocal) override {
    *pLocal = {platform::kLoopback, 50000};
    return true;
  }
  size_t Waiting() const { return m_inbound.size(); }

 private:
  std::deque<Sent> m_inbound;
};

#endif
