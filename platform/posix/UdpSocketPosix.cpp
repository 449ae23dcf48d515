#include <errno.h>
#include <sys/ioctl.h>
#ifdef __linux__
#include <linux/sockios.h>
#endif
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/UdpSocket.h"
#include "platform/posix/SockaddrPosix.h"

namespace platform {

namespace {

constexpr size_t kQueuedDatagramOverhead = 924;

class PosixUdpSocket : public DatagramSocket {
 public:
  explicit PosixUdpSocket(int fd) : m_fd(fd) {}
  ~PosixUdpSocket() override { CloseSocketHandle(m_fd); }

  int SendTo(const void* pData, size_t nSize, const Ipv4Endpoint& to) override {
    const long lSent = SendToSocket(m_fd, pData, nSize, ToSocketAddress(to));
    return lSent < 0 ? -1 : static_cast<int>(lSent);
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

  size_t SendBatchTo(const Part* pParts, size_t nCount, const Ipv4Endpoint& to) override {
    sockaddr_in address = ToSockaddr(to);
    constexpr size_t kRun = 256;
    mmsghdr messages[kRun];
    iovec parts[kRun];
    size_t nSent = 0;
    for (size_t nDone = 0; nDone < nCount;) {
      const size_t nRun = std::min(kRun, nCount - nDone);
      for (size_t i = 0; i < nRun; ++i) {
        parts[i] = iovec{const_cast<void*>(pParts[nDone + i].pData), pParts[nDone + i].nSize};
        messages[i] = mmsghdr{};
        messages[i].msg_hdr.msg_name = &address;
        messages[i].msg_hdr.msg_namelen = sizeof address;
        messages[i].msg_hdr.msg_iov = &parts[i];
        messages[i].msg_hdr.msg_iovlen = 1;
      }
      const int iSent = ::sendmmsg(m_fd, messages, static_cast<unsigned>(nRun), MSG_NOSIGNAL);
      if (iSent < 0 && errno == EINTR) continue;
      if (iSent <= 0) {
        ++nDone;  // the first of the run failed: skip it, as a loop of sendto would
        continue;
      }
      nSent += static_cast<size_t>(iSent);
      nDone += static_cast<size_t>(iSent);
    }
    return nSent;
  }

  bool GetPendingBytes(unsigned long* pulBytes) override {
    if (m_pAhead && m_pAhead->nNext < m_pAhead->nHeld) {
      *pulBytes = m_pAhead->messages[m_pAhead->nNext].msg_len;
      return true;
    }
    return GetSocketPendingBytes(m_fd, pulBytes);
  }

  bool IsDatagramWaiting() override { return ReadAhead(); }

  bool WaitReadable(int iTimeoutMs) override {
    // A zero wait is a look: one read ahead answers it and, when something waits,
    // already holds the next datagrams, so a drain loop makes no call per datagram.
    if (iTimeoutMs <= 0) return ReadAhead();
    if (m_pAhead && m_pAhead->nNext < m_pAhead->nHeld) return true;
    return WaitSocketReadable(m_fd, iTimeoutMs);
  }

  long ReceiveFrom(void* pBuffer, size_t nCapacity, Ipv4Endpoint* pFrom) override {
    const bool bHeld = m_pAhead && m_pAhead->nNext < m_pAhead->nHeld;
    // A caller with room for more than a read-ahead slot keeps every byte of a datagram read alone.
    if (!bHeld && nCapacity > kReadAheadBytes) return ReceiveOne(pBuffer, nCapacity, pFrom);
    if (!ReadAhead()) return -1;
    Ahead& ahead = *m_pAhead;
    const mmsghdr& message = ahead.messages[ahead.nNext];
    const size_t nLength = message.msg_len;
    const size_t nCopy = std::min({nLength, nCapacity, kReadAheadBytes});
    if (nCopy > 0) std::memcpy(pBuffer, ahead.bytes + ahead.nNext * kReadAheadBytes, nCopy);
    if (pFrom != nullptr) *pFrom = EndpointOf(ahead.from[ahead.nNext]);
    ++ahead.nNext;
    return static_cast<long>(nLength);
  }

  bool GetLocalEndpoint(Ipv4Endpoint* pLocal) override {
    SocketAddress address;
    if (!GetSocketName(m_fd, &address)) return false;
    *pLocal = ToEndpoint(address);
    return true;
  }

  int Descriptor() const { return m_fd; }

 private:
  // Datagrams read in one recvmmsg and not yet handed out: slots nNext..nHeld-1.
  struct Ahead {
    uint8_t bytes[kReadAhead * kReadAheadBytes];
    mmsghdr messages[kReadAhead] = {};
    iovec parts[kReadAhead] = {};
    sockaddr_in from[kReadAhead] = {};
    unsigned nHeld = 0;
    unsigned nNext = 0;
  };

  // True when a datagram is held, reading the waiting ones ahead when none is.
  bool ReadAhead() {
    if (m_pAhead && m_pAhead->nNext < m_pAhead->nHeld) return true;
    // Made at the first read, so a socket that only sends never holds the buffer.
    if (!m_pAhead) {
      m_pAhead = std::make_unique<Ahead>();
      for (unsigned i = 0; i < kReadAhead; ++i) {
        m_pAhead->parts[i] = iovec{m_pAhead->bytes + i * kReadAheadBytes, kReadAheadBytes};
        m_pAhead->messages[i].msg_hdr.msg_name = &m_pAhead->from[i];
        m_pAhead->messages[i].msg_hdr.msg_iov = &m_pAhead->parts[i];
        m_pAhead->messages[i].msg_hdr.msg_iovlen = 1;
      }
    }
    Ahead& ahead = *m_pAhead;
    ahead.nHeld = ahead.nNext = 0;
    // The kernel rewrites each used slot's address length; the rest stays as set up.
    for (unsigned i = 0; i < kReadAhead; ++i) ahead.messages[i].msg_hdr.msg_namelen = sizeof ahead.from[i];
    int iRead;
    // MSG_TRUNC makes each message's length the datagram's true one, even when it was cut.
    do {
      iRead = ::recvmmsg(m_fd, ahead.messages, kReadAhead, MSG_DONTWAIT | MSG_TRUNC, nullptr);
    } while (iRead < 0 && errno == EINTR);
    if (iRead <= 0) return false;
    ahead.nHeld = static_cast<unsigned>(iRead);
    return true;
  }

  long ReceiveOne(void* pBuffer, size_t nCapacity, Ipv4Endpoint* pFrom) {
    sockaddr_in address{};
    socklen_t addressSize = sizeof address;
    ssize_t length = ::recvfrom(m_fd, pBuffer, nCapacity, MSG_DONTWAIT | MSG_TRUNC,
                                reinterpret_cast<sockaddr*>(&address), &addressSize);
    if (length < 0) return -1;
    if (pFrom != nullptr) *pFrom = EndpointOf(address);
    return static_cast<long>(length);
  }

  int m_fd;
  std::unique_ptr<Ahead> m_pAhead;
};

std::string ErrnoText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

std::unique_ptr<DatagramSocket> OpenUdpSocket(const UdpSocketOptions& options, std::string* psError) {
  const int fd = static_cast<int>(OpenDatagramSocket());
  if (fd < 0) {
    if (psError) *psError = ErrnoText("socket");
    return nullptr;
  }
  auto fail = [&](const char* what) -> std::unique_ptr<DatagramSocket> {
    if (psError) *psError = ErrnoText(what);
    CloseSocketHandle(fd);
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
    if (!BindSocket(fd, ToSocketAddress(options.endpBind))) return fail("bind");
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

long GetReceiveBufferDatagrams(DatagramSocket& socket, size_t nPayloadBytes) {
  const int iBytes = GetReceiveBufferBytes(socket);
  if (iBytes < 0) return -1;
  // Linux charges each queued datagram its whole kernel buffer, not just the payload:
  // 832 bytes for a 100-byte one over loopback; the rest is room for other drivers.
  return static_cast<long>(static_cast<size_t>(iBytes) / (nPayloadBytes + kQueuedDatagramOverhead));
}

}  // namespace platform
