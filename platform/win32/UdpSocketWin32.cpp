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

class WinUdpSocket : public DatagramSocket {
 public:
  explicit WinUdpSocket(SOCKET s) : m_s(s) {}
  ~WinUdpSocket() override { closesocket(m_s); }

  int SendTo(const void* pData, size_t nSize, const Ipv4Endpoint& to) override {
    sockaddr_in address = ToSockaddr(to);
    int sent = sendto(m_s, static_cast<const char*>(pData), static_cast<int>(nSize), 0,
                      reinterpret_cast<const sockaddr*>(&address), sizeof address);
    return sent == SOCKET_ERROR ? -1 : sent;
  }

  int SendToNoWait(const void* pData, size_t nSize, const Ipv4Endpoint& to) override {
    // Windows has no per-call flag: the socket is non-blocking for this one send.
    u_long ulOn = 1, ulOff = 0;
    if (ioctlsocket(m_s, FIONBIO, &ulOn) != 0) return SendTo(pData, nSize, to);
    sockaddr_in address = ToSockaddr(to);
    const int sent = sendto(m_s, static_cast<const char*>(pData), static_cast<int>(nSize), 0,
                            reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const int iError = sent == SOCKET_ERROR ? WSAGetLastError() : 0;
    ioctlsocket(m_s, FIONBIO, &ulOff);
    if (sent == SOCKET_ERROR) return iError == WSAEWOULDBLOCK ? kSendWouldBlock : -1;
    return sent;
  }

  bool GetPendingBytes(unsigned long* pulBytes) override {
    u_long pending = 0;
    if (ioctlsocket(m_s, FIONREAD, &pending) != 0) return false;
    *pulBytes = pending;
    return true;
  }

  bool IsDatagramWaiting() override { return WaitReadable(0); }

  bool WaitReadable(int iTimeoutMs) override {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(m_s, &readable);
    if (iTimeoutMs < 0) iTimeoutMs = 0;
    timeval timeout{iTimeoutMs / 1000, (iTimeoutMs % 1000) * 1000};
    return select(0, &readable, nullptr, nullptr, &timeout) > 0;
  }

  long ReceiveFrom(void* pBuffer, size_t nCapacity, Ipv4Endpoint* pFrom) override {
    // Windows has no MSG_TRUNC: a datagram longer than the buffer fails with
    // WSAEMSGSIZE and its length is lost. Reading into room for the largest
    // datagram gives the true length; the caller gets the part that fits.
    if (!IsDatagramWaiting()) return -1;
    char* pRead = static_cast<char*>(pBuffer);
    size_t nRead = nCapacity;
    if (nCapacity < kLargestDatagram) {
      m_byLarge.resize(kLargestDatagram);
      pRead = m_byLarge.data();
      nRead = m_byLarge.size();
    }
    sockaddr_in address{};
    int addressSize = sizeof address;
    int length = recvfrom(m_s, pRead, static_cast<int>(nRead), 0, reinterpret_cast<sockaddr*>(&address),
                          &addressSize);
    if (length == SOCKET_ERROR) {
      // Only a buffer of the caller's that is still too small gets here; the datagram is gone either way.
      if (WSAGetLastError() == WSAEMSGSIZE) return static_cast<long>(nRead) + 1;
      return -1;
    }
    if (pRead != pBuffer && length > 0)
      std::memcpy(pBuffer, pRead, std::min(static_cast<size_t>(length), nCapacity));
    if (pFrom != nullptr) *pFrom = Ipv4Endpoint{ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)};
    return length;
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
  // The largest UDP payload over IPv4 (65,535 less the IP and UDP headers) fits.
  static constexpr size_t kLargestDatagram = 65536;
  SOCKET m_s;
  std::vector<char> m_byLarge;
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

}  // namespace platform
