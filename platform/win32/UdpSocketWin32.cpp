#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/UdpSocket.h"

namespace platform {

namespace {

sockaddr_in ToSockaddr(const Ipv4Endpoint& endpoint) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(endpoint.wPort);
  address.sin_addr.s_addr = htonl(endpoint.dwAddress);
  return address;
}

constexpr size_t kQueuedDatagramOverhead = 100;

class WinUdpSocket : public DatagramSocket {
 public:
  explicit WinUdpSocket(SOCKET s) : m_s(s) {}
  ~WinUdpSocket() override { closesocket(m_s); }

  // The socket is non-blocking from its opening, so a read never needs a wait before
  // it; a send that finds the buffer full waits for room here instead.
  int SendTo(const void* pData, size_t nSize, const Ipv4Endpoint& to) override {
    for (;;) {
      const int sent = SendOnce(pData, nSize, to);
      if (sent != SOCKET_ERROR) return sent;
      if (WSAGetLastError() != WSAEWOULDBLOCK) return -1;
      fd_set writable;
      FD_ZERO(&writable);
      FD_SET(m_s, &writable);
      if (select(0, nullptr, &writable, nullptr, nullptr) == SOCKET_ERROR) return -1;
    }
  }

  int SendToNoWait(const void* pData, size_t nSize, const Ipv4Endpoint& to) override {
    const int sent = SendOnce(pData, nSize, to);
    if (sent == SOCKET_ERROR) return WSAGetLastError() == WSAEWOULDBLOCK ? kSendWouldBlock : -1;
    return sent;
  }

  bool GetPendingBytes(unsigned long* pulBytes) override {
    u_long pending = 0;
    if (ioctlsocket(m_s, FIONREAD, &pending) != 0) return false;
    *pulBytes = pending + (m_lHeld >= 0 ? static_cast<unsigned long>(m_lHeld) : 0);
    return true;
  }

  // Windows has no call that reads several datagrams at once: looking reads one
  // ahead, and ReceiveFrom hands it out, so each datagram costs one recvfrom.
  bool IsDatagramWaiting() override { return ReadAhead(); }

  bool WaitReadable(int iTimeoutMs) override {
    if (iTimeoutMs <= 0) return ReadAhead();
    if (m_lHeld >= 0) return true;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(m_s, &readable);
    timeval timeout{iTimeoutMs / 1000, (iTimeoutMs % 1000) * 1000};
    return select(0, &readable, nullptr, nullptr, &timeout) > 0;
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
    sockaddr_in address{};
    int addressSize = sizeof address;
    if (getsockname(m_s, reinterpret_cast<sockaddr*>(&address), &addressSize) != 0) return false;
    *pLocal = Ipv4Endpoint{ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)};
    return true;
  }

  SOCKET Handle() const { return m_s; }

 private:
  int SendOnce(const void* pData, size_t nSize, const Ipv4Endpoint& to) {
    sockaddr_in address = ToSockaddr(to);
    return sendto(m_s, static_cast<const char*>(pData), static_cast<int>(nSize), 0,
                  reinterpret_cast<const sockaddr*>(&address), sizeof address);
  }

  // True when a datagram is held, reading one ahead when none is. Windows has no
  // MSG_TRUNC: a datagram longer than the buffer fails with WSAEMSGSIZE and its
  // length is lost, so it is read into room for the largest datagram.
  bool ReadAhead() {
    if (m_lHeld >= 0) return true;
    if (m_byLarge.empty()) m_byLarge.resize(kLargestDatagram);
    sockaddr_in address{};
    int addressSize = sizeof address;
    const int length = recvfrom(m_s, m_byLarge.data(), static_cast<int>(m_byLarge.size()), 0,
                                reinterpret_cast<sockaddr*>(&address), &addressSize);
    if (length == SOCKET_ERROR) return false;
    m_lHeld = length;
    m_fromHeld = Ipv4Endpoint{ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)};
    return true;
  }

  // The largest UDP payload over IPv4 (65,535 less the IP and UDP headers) fits.
  static constexpr size_t kLargestDatagram = 65536;
  SOCKET m_s;
  std::vector<char> m_byLarge;
  long m_lHeld = -1;  // the length of the datagram read ahead, or -1 for none
  Ipv4Endpoint m_fromHeld;
};

std::string WsaText(const char* what) { return std::string(what) + ": WSA error " + std::to_string(WSAGetLastError()); }

}  // namespace

std::unique_ptr<DatagramSocket> OpenUdpSocket(const UdpSocketOptions& options, std::string* psError) {
  SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
  if (s == INVALID_SOCKET) {
    if (psError) *psError = WsaText("socket");
    return nullptr;
  }
  auto fail = [&](const char* what) -> std::unique_ptr<DatagramSocket> {
    if (psError) *psError = WsaText(what);
    closesocket(s);
    return nullptr;
  };
  BOOL bTrue = TRUE;
  if (options.bBroadcast &&
      setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&bTrue), sizeof bTrue) != 0)
    return fail("setsockopt(SO_BROADCAST)");
  if (options.bReuseAddress &&
      setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&bTrue), sizeof bTrue) != 0)
    return fail("setsockopt(SO_REUSEADDR)");
  if (options.iReceiveBufferBytes > 0) {
    int bytes = options.iReceiveBufferBytes;
    setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes), sizeof bytes);
  }
  if (options.bBind) {
    sockaddr_in address = ToSockaddr(options.endpBind);
    if (bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return fail("bind");
  }
  u_long ulOn = 1;
  if (ioctlsocket(s, FIONBIO, &ulOn) != 0) return fail("ioctlsocket(FIONBIO)");
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
