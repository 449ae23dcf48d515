#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#ifdef __linux__
#include <linux/sockios.h>
#endif
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

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

Ipv4Endpoint FromSockaddr(const sockaddr_in& address) {
  return Ipv4Endpoint{ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)};
}

class PosixUdpSocket : public DatagramSocket {
 public:
  explicit PosixUdpSocket(int fd) : m_fd(fd) {}
  ~PosixUdpSocket() override { ::close(m_fd); }

  int SendTo(const void* pData, size_t nSize, const Ipv4Endpoint& to) override {
    sockaddr_in address = ToSockaddr(to);
    ssize_t sent = ::sendto(m_fd, pData, nSize, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&address),
                            sizeof address);
    return sent < 0 ? -1 : static_cast<int>(sent);
  }

  int SendToNoWait(const void* pData, size_t nSize, const Ipv4Endpoint& to) override {
    sockaddr_in address = ToSockaddr(to);
    ssize_t sent = ::sendto(m_fd, pData, nSize, MSG_NOSIGNAL | MSG_DONTWAIT,
                            reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (sent < 0) return errno == EAGAIN || errno == EWOULDBLOCK ? kSendWouldBlock : -1;
    return static_cast<int>(sent);
  }

  bool GetUnsentBytes(unsigned long* pulBytes) override {
#ifdef SIOCOUTQ
    int unsent = 0;
    if (::ioctl(m_fd, SIOCOUTQ, &unsent) != 0 || unsent < 0) return false;
    *pulBytes = static_cast<unsigned long>(unsent);
    return true;
#else
    (void)pulBytes;
    return false;
#endif
  }

  bool GetPendingBytes(unsigned long* pulBytes) override {
    int pending = 0;
    if (::ioctl(m_fd, FIONREAD, &pending) != 0) return false;
    *pulBytes = static_cast<unsigned long>(pending);
    return true;
  }

  bool IsDatagramWaiting() override { return WaitReadable(0); }

  bool WaitReadable(int iTimeoutMs) override {
    pollfd entry{m_fd, POLLIN, 0};
    int ready;
    do {
      ready = ::poll(&entry, 1, iTimeoutMs < 0 ? 0 : iTimeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0 && (entry.revents & POLLIN) != 0;
  }

  long ReceiveFrom(void* pBuffer, size_t nCapacity, Ipv4Endpoint* pFrom) override {
    sockaddr_in address{};
    socklen_t addressSize = sizeof address;
    // MSG_TRUNC makes Linux report the datagram's real length even when it was cut.
    ssize_t length = ::recvfrom(m_fd, pBuffer, nCapacity, MSG_DONTWAIT | MSG_TRUNC,
                                reinterpret_cast<sockaddr*>(&address), &addressSize);
    if (length < 0) return -1;
    if (pFrom != nullptr) *pFrom = FromSockaddr(address);
    return static_cast<long>(length);
  }

  bool GetLocalEndpoint(Ipv4Endpoint* pLocal) override {
    sockaddr_in address{};
    socklen_t addressSize = sizeof address;
    if (::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &addressSize) != 0) return false;
    *pLocal = FromSockaddr(address);
    return true;
  }

  int Descriptor() const { return m_fd; }

 private:
  int m_fd;
};

std::string ErrnoText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

std::unique_ptr<DatagramSocket> OpenUdpSocket(const UdpSocketOptions& options, std::string* psError) {
  int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    if (psError) *psError = ErrnoText("socket");
    return nullptr;
  }
  auto fail = [&](const char* what) -> std::unique_ptr<DatagramSocket> {
    if (psError) *psError = ErrnoText(what);
    ::close(fd);
    return nullptr;
  };
  int bTrue = 1;
  if (options.bBroadcast && ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &bTrue, sizeof bTrue) != 0)
    return fail("setsockopt(SO_BROADCAST)");
  if (options.bReuseAddress && ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &bTrue, sizeof bTrue) != 0)
    return fail("setsockopt(SO_REUSEADDR)");
  if (options.iReceiveBufferBytes > 0) {
    int bytes = options.iReceiveBufferBytes;
    // SO_RCVBUFFORCE passes the rmem_max ceiling when we may; otherwise take what SO_RCVBUF gives.
    if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) != 0)
      ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
  }
  if (options.bBind) {
    sockaddr_in address = ToSockaddr(options.endpBind);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return fail("bind");
  }
  return std::make_unique<PosixUdpSocket>(fd);
}

int GetReceiveBufferBytes(DatagramSocket& socket) {
  auto* posix = dynamic_cast<PosixUdpSocket*>(&socket);
  if (posix == nullptr) return -1;
  int bytes = 0;
  socklen_t size = sizeof bytes;
  if (::getsockopt(posix->Descriptor(), SOL_SOCKET, SO_RCVBUF, &bytes, &size) != 0) return -1;
  return bytes;
}

}  // namespace platform
