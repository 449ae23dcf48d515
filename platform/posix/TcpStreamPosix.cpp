#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "platform/TcpStream.h"

namespace platform {

namespace {

sockaddr_in Native(const Ipv4Endpoint& endpoint) {
  sockaddr_in native{};
  native.sin_family = AF_INET;
  native.sin_port = htons(endpoint.wPort);
  native.sin_addr.s_addr = htonl(endpoint.dwAddress);
  return native;
}

bool WaitFor(int fd, short events, int iMilliseconds) {
  pollfd entry{fd, events, 0};
  int ready;
  do {
    ready = ::poll(&entry, 1, iMilliseconds < 0 ? 0 : iMilliseconds);
  } while (ready < 0 && errno == EINTR);
  return ready > 0;
}

class TcpStreamPosix : public TcpStream {
 public:
  TcpStreamPosix(int fd, const Ipv4Endpoint& peer) : m_fd(fd), m_peer(peer) {}
  ~TcpStreamPosix() override { ::close(m_fd); }

  bool SendAll(const void* pData, size_t nSize) override {
    const auto* pBytes = static_cast<const uint8_t*>(pData);
    while (nSize > 0) {
      ssize_t sent = ::send(m_fd, pBytes, nSize, MSG_NOSIGNAL);
      if (sent < 0 && errno == EINTR) continue;
      if (sent <= 0) return false;
      pBytes += sent;
      nSize -= static_cast<size_t>(sent);
    }
    return true;
  }
  bool WaitReadable(int iMilliseconds) override { return WaitFor(m_fd, POLLIN, iMilliseconds); }
  long Receive(void* pBuffer, size_t nSize) override {
    ssize_t got;
    do {
      got = ::recv(m_fd, pBuffer, nSize, 0);
    } while (got < 0 && errno == EINTR);
    return static_cast<long>(got);
  }
  void ShutdownSend() override { ::shutdown(m_fd, SHUT_WR); }
  Ipv4Endpoint Peer() const override { return m_peer; }

 private:
  int m_fd;
  Ipv4Endpoint m_peer;
};

void SetStreamOptions(int fd) {
  int iOn = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &iOn, sizeof iOn);
  ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &iOn, sizeof iOn);
}

class TcpListenerPosix : public TcpListener {
 public:
  TcpListenerPosix(int fd, const Ipv4Endpoint& local) : m_fd(fd), m_local(local) {}
  ~TcpListenerPosix() override { ::close(m_fd); }
  Ipv4Endpoint LocalEndpoint() const override { return m_local; }
  bool WaitAcceptable(int iMilliseconds) override { return WaitFor(m_fd, POLLIN, iMilliseconds); }
  std::unique_ptr<TcpStream> Accept() override {
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    int fd = ::accept4(m_fd, reinterpret_cast<sockaddr*>(&peer), &size, SOCK_CLOEXEC);
    if (fd < 0) return nullptr;
    SetStreamOptions(fd);
    return std::make_unique<TcpStreamPosix>(fd, Ipv4Endpoint{ntohl(peer.sin_addr.s_addr), ntohs(peer.sin_port)});
  }
  intptr_t Handle() const override { return m_fd; }

 private:
  int m_fd;
  Ipv4Endpoint m_local;
};

}  // namespace

std::unique_ptr<TcpStream> TcpStream::Connect(const Ipv4Endpoint& to, int iTimeoutMs, TcpConnectError* pError,
                                              std::string* psError) {
  *pError = TcpConnectError::kOther;
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    *psError = std::strerror(errno);
    return nullptr;
  }
  SetStreamOptions(fd);
  sockaddr_in native = Native(to);
  int iError = 0;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&native), sizeof native) != 0) {
    iError = errno;
    if (iError == EINPROGRESS) {
      if (!WaitFor(fd, POLLOUT, iTimeoutMs)) {
        ::close(fd);
        *pError = TcpConnectError::kTimedOut;
        *psError = "no answer within " + std::to_string(iTimeoutMs) + " ms";
        return nullptr;
      }
      socklen_t size = sizeof iError;
      if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &iError, &size) != 0) iError = errno;
    }
  }
  if (iError != 0) {
    ::close(fd);
    *pError = iError == ECONNREFUSED                            ? TcpConnectError::kRefused
              : iError == ETIMEDOUT                             ? TcpConnectError::kTimedOut
              : iError == EHOSTUNREACH || iError == ENETUNREACH ? TcpConnectError::kUnreachable
                                                                : TcpConnectError::kOther;
    *psError = std::strerror(iError);
    return nullptr;
  }
  // Blocking from here: the two directions each run on a thread of their own.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  *pError = TcpConnectError::kNone;
  return std::make_unique<TcpStreamPosix>(fd, to);
}

std::unique_ptr<TcpListener> TcpListener::Listen(const Ipv4Endpoint& at, std::string* psError) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    *psError = std::strerror(errno);
    return nullptr;
  }
  int iOn = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &iOn, sizeof iOn);
  sockaddr_in native = Native(at);
  socklen_t size = sizeof native;
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&native), sizeof native) != 0 || ::listen(fd, 4) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&native), &size) != 0) {
    *psError = std::strerror(errno);
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<TcpListenerPosix>(fd, Ipv4Endpoint{ntohl(native.sin_addr.s_addr), ntohs(native.sin_port)});
}

std::vector<size_t> WaitAnyAcceptable(const std::vector<TcpListener*>& listeners, int iMilliseconds) {
  std::vector<pollfd> entries;
  for (TcpListener* pListener : listeners) entries.push_back({static_cast<int>(pListener->Handle()), POLLIN, 0});
  std::vector<size_t> ready;
  if (entries.empty() || entries.size() > 256) return ready;
  int iReady;
  do {
    iReady = ::poll(entries.data(), entries.size(), iMilliseconds < 0 ? 0 : iMilliseconds);
  } while (iReady < 0 && errno == EINTR);
  for (size_t i = 0; iReady > 0 && i < entries.size(); ++i)
    if ((entries[i].revents & POLLIN) != 0) ready.push_back(i);
  return ready;
}

}  // namespace platform
