#include <winsock2.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/SocketCalls.h"
#include "platform/UdpSocket.h"

namespace platform {

namespace {

constexpr size_t kQueuedDatagramOverhead = 100;

class WinUdpSocket : public DatagramSocket {
 public:
  explicit WinUdpSocket(SocketHandle s) : m_s(s) {}
  ~WinUdpSocket() override { CloseSocketHandle(m_s); }

  // The socket is non-blocking from its opening, so a read never needs a wait before
  // it; a send that finds the buffer full waits for room here instead.
  int SendTo(const void* pData, size_t nSize, const Ipv4Endpoint& to) override {
    for (;;) {
      const int sent = SendOnce(pData, nSize, to);
      if (sent >= 0) return sent;
      if (WSAGetLastError() != WSAEWOULDBLOCK) return -1;
      // Waits in steps of a second for as long as the buffer stays full.
      if (WaitSocketWritable(m_s, 1000000) < 0) return -1;
    }
  }

  int SendToNoWait(const void* pData, size_t nSize, const Ipv4Endpoint& to) override {
    const int sent = SendOnce(pData, nSize, to);
    if (sent < 0) return WSAGetLastError() == WSAEWOULDBLOCK ? kSendWouldBlock : -1;
    return sent;
  }

  bool GetPendingBytes(unsigned long* pulBytes) override {
    unsigned long ulPending = 0;
    if (!GetSocketPendingBytes(m_s, &ulPending)) return false;
    *pulBytes = ulPending + (m_lHeld >= 0 ? static_cast<unsigned long>(m_lHeld) : 0);
    return true;
  }

  // Windows has no call that reads several datagrams at once: looking reads one
  // ahead, and ReceiveFrom hands it out, so each datagram costs one recvfrom.
  bool IsDatagramWaiting() override { return ReadAhead(); }

  bool WaitReadable(int iTimeoutMs) override {
    if (iTimeoutMs <= 0) return ReadAhead();
    if (m_lHeld >= 0) return true;
    return WaitSocketReadable(m_s, iTimeoutMs);
  }

  long ReceiveFrom(void* pBuffer, size_t nCapacity, Ipv4Endpoint* pFrom) override {
    if (!ReadAhead()) return -1;
    const long lLength = m_lHeld;
    m_lHeld = -1;
    if (lLength > 0) std::memcpy(pBuffer, m_byLarge.data(), std::min(static_cast<size_t>(lLength), nCapacity));
    if (pFrom != nullptr) *pFrom = m_fromHeld;
    return lLength;
  }

  bool GetLocalEndpoint(Ipv4Endpoint* pLocal) override {
    SocketAddress address;
    if (!GetSocketName(m_s, &address)) return false;
    *pLocal = ToEndpoint(address);
    return true;
  }

  SOCKET Handle() const { return static_cast<SOCKET>(m_s); }

 private:
  int SendOnce(const void* pData, size_t nSize, const Ipv4Endpoint& to) {
    return static_cast<int>(SendToSocket(m_s, pData, nSize, ToSocketAddress(to)));
  }

  // True when a datagram is held, reading one ahead when none is. Windows has no
  // MSG_TRUNC: a datagram longer than the buffer fails with WSAEMSGSIZE and its
  // length is lost, so it is read into room for the largest datagram.
  bool ReadAhead() {
    if (m_lHeld >= 0) return true;
    if (m_byLarge.empty()) m_byLarge.resize(kLargestDatagram);
    SocketAddress address;
    const long lLength = ReceiveFromSocket(m_s, m_byLarge.data(), m_byLarge.size(), &address, nullptr);
    if (lLength < 0) return false;
    m_lHeld = lLength;
    m_fromHeld = ToEndpoint(address);
    return true;
  }

  // The largest UDP payload over IPv4 (65,535 less the IP and UDP headers) fits.
  static constexpr size_t kLargestDatagram = 65536;
  SocketHandle m_s;
  std::vector<char> m_byLarge;
  long m_lHeld = -1;  // the length of the datagram read ahead, or -1 for none
  Ipv4Endpoint m_fromHeld;
};

std::string WsaText(const char* what) { return std::string(what) + ": WSA error " + std::to_string(WSAGetLastError()); }

}  // namespace

std::unique_ptr<DatagramSocket> OpenUdpSocket(const UdpSocketOptions& options, std::string* psError) {
  const SocketHandle s = OpenDatagramSocket();
  if (s == kInvalidSocket) {
    if (psError) *psError = WsaText("socket");
    return nullptr;
  }
  auto fail = [&](const char* what) -> std::unique_ptr<DatagramSocket> {
    if (psError) *psError = WsaText(what);
    CloseSocketHandle(s);
    return nullptr;
  };
  BOOL bTrue = TRUE;
  if (options.bBroadcast &&
      setsockopt(static_cast<SOCKET>(s), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&bTrue), sizeof bTrue) != 0)
    return fail("setsockopt(SO_BROADCAST)");
  if (options.bReuseAddress &&
      setsockopt(static_cast<SOCKET>(s), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&bTrue), sizeof bTrue) != 0)
    return fail("setsockopt(SO_REUSEADDR)");
  if (options.iReceiveBufferBytes > 0) {
    int bytes = options.iReceiveBufferBytes;
    setsockopt(static_cast<SOCKET>(s), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes), sizeof bytes);
  }
  if (options.bBind) {
    if (!BindSocket(s, ToSocketAddress(options.endpBind))) return fail("bind");
  }
  if (!SetSocketNonBlocking(s, true)) return fail("ioctlsocket(FIONBIO)");
  return std::make_unique<WinUdpSocket>(s);
}

int GetReceiveBufferBytes(DatagramSocket& socket) {
  auto* win = dynamic_cast<WinUdpSocket*>(&socket);
  if (win == nullptr) return -1;
  int bytes = 0;
  int size = sizeof bytes;
  if (getsockopt(win->Handle(), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&bytes), &size) != 0) return -1;
  return bytes;
}

long GetReceiveBufferDatagrams(DatagramSocket& socket, size_t nPayloadBytes) {
  const int iBytes = GetReceiveBufferBytes(socket);
  if (iBytes < 0) return -1;
  // Taken to count the payload and its address, with some room for bookkeeping.
  return static_cast<long>(static_cast<size_t>(iBytes) / (nPayloadBytes + kQueuedDatagramOverhead));
}

}  // namespace platform
