#include <arpa/inet.h>
#include <errno.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "platform/SocketCalls.h"
#include "platform/posix/SockaddrPosix.h"

namespace platform {

sockaddr_in ToSockaddr(const SocketAddress& address) {
  sockaddr_in native{};
  native.sin_family = address.shFamily;
  native.sin_port = address.shPort;
  std::memcpy(&native.sin_addr, address.byAddress, 4);
  std::memcpy(native.sin_zero, address.byZero, 8);
  return native;
}

SocketAddress FromSockaddr(const sockaddr_in& native) {
  SocketAddress address;
  address.shFamily = native.sin_family;
  address.shPort = native.sin_port;
  std::memcpy(address.byAddress, &native.sin_addr, 4);
  std::memcpy(address.byZero, native.sin_zero, 8);
  return address;
}

namespace {

int Fd(SocketHandle s) { return static_cast<int>(s); }

}  // namespace

uint16_t HostToNetwork16(uint16_t shValue) { return htons(shValue); }
uint16_t NetworkToHost16(uint16_t shValue) { return ntohs(shValue); }

SocketHandle OpenStreamSocket() { return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0); }
SocketHandle OpenDatagramSocket() { return ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0); }

bool SetSocketNonBlocking(SocketHandle s, bool bNonBlocking) {
  int iParam = bNonBlocking ? 1 : 0;
  return ::ioctl(Fd(s), FIONBIO, &iParam) == 0;
}

bool GetSocketPendingBytes(SocketHandle s, unsigned long* pulCount) {
  int iPending = 0;
  if (::ioctl(Fd(s), FIONREAD, &iPending) != 0) return false;
  *pulCount = static_cast<unsigned long>(iPending);
  return true;
}

int WaitSocketWritable(SocketHandle s, long lMicroseconds) {
  // FD_SET beyond FD_SETSIZE would write outside the set.
  if (s < 0 || s >= FD_SETSIZE) return -1;
  fd_set setZero;
  fd_set set;
  FD_ZERO(&setZero);
  FD_ZERO(&set);
  FD_SET(Fd(s), &set);
  fd_set setExcept = setZero;
  timeval tv{lMicroseconds / 1000000, lMicroseconds % 1000000};
  return ::select(Fd(s) + 1, &setZero, &set, &setExcept, &tv);
}

bool WaitSocketReadable(SocketHandle s, int iMilliseconds) {
  pollfd entry{Fd(s), POLLIN, 0};
  int ready;
  do {
    ready = ::poll(&entry, 1, iMilliseconds < 0 ? 0 : iMilliseconds);
  } while (ready < 0 && errno == EINTR);
  return ready > 0 && (entry.revents & POLLIN) != 0;
}

bool BindSocket(SocketHandle s, const SocketAddress& address) {
  sockaddr_in native = ToSockaddr(address);
  return ::bind(Fd(s), reinterpret_cast<const sockaddr*>(&native), sizeof native) == 0;
}

bool ListenSocket(SocketHandle s, int iBacklog) { return ::listen(Fd(s), iBacklog) == 0; }

SocketHandle AcceptSocket(SocketHandle s) {
  int fd;
  do {
    fd = ::accept4(Fd(s), nullptr, nullptr, SOCK_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  return fd < 0 ? kInvalidSocket : fd;
}

bool GetSocketName(SocketHandle s, SocketAddress* pAddress) {
  sockaddr_in native{};
  socklen_t size = sizeof native;
  if (::getsockname(Fd(s), reinterpret_cast<sockaddr*>(&native), &size) != 0) return false;
  *pAddress = FromSockaddr(native);
  return true;
}

bool ConnectSocket(SocketHandle s, const SocketAddress& address) {
  sockaddr_in native = ToSockaddr(address);
  return ::connect(Fd(s), reinterpret_cast<const sockaddr*>(&native), sizeof native) == 0;
}

long SendOnSocket(SocketHandle s, const void* pData, size_t nSize) {
  return static_cast<long>(::send(Fd(s), pData, nSize, MSG_NOSIGNAL));
}

long SendToSocket(SocketHandle s, const void* pData, size_t nSize, const SocketAddress& to) {
  sockaddr_in native = ToSockaddr(to);
  return static_cast<long>(
      ::sendto(Fd(s), pData, nSize, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&native), sizeof native));
}

long ReceiveFromSocket(SocketHandle s, void* pBuffer, size_t nSize, SocketAddress* pFrom, int* piFromSize) {
  sockaddr_in native{};
  socklen_t size = sizeof native;
  if (piFromSize != nullptr && *piFromSize >= 0 && static_cast<socklen_t>(*piFromSize) < size) size = *piFromSize;
  iovec part{pBuffer, nSize};
  msghdr message{};
  message.msg_name = &native;
  message.msg_namelen = size;
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  ssize_t length = ::recvmsg(Fd(s), &message, 0);
  if (length < 0) return -1;
  if ((message.msg_flags & MSG_TRUNC) != 0) {
    errno = EMSGSIZE;
    return -1;
  }
  // A stream socket names no sender; leave the caller's address as it was then.
  if (pFrom != nullptr && message.msg_namelen > 0) *pFrom = FromSockaddr(native);
  if (piFromSize != nullptr) *piFromSize = static_cast<int>(message.msg_namelen);
  return static_cast<long>(length);
}

void ShutdownSocketReceive(SocketHandle s) { ::shutdown(Fd(s), SHUT_RD); }

void CloseSocketHandle(SocketHandle s) { ::close(Fd(s)); }

bool ResolveHostAddress(const std::string& sHost, uint8_t (&byAddress)[4]) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* pResult = nullptr;
  if (::getaddrinfo(sHost.c_str(), nullptr, &hints, &pResult) != 0 || pResult == nullptr) return false;
  const auto* pAddress = reinterpret_cast<const sockaddr_in*>(pResult->ai_addr);
  std::memcpy(byAddress, &pAddress->sin_addr, 4);
  ::freeaddrinfo(pResult);
  return true;
}

}  // namespace platform
