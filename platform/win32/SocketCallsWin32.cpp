#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

#include "platform/SocketCalls.h"

namespace platform {

namespace {

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

SOCKET Handle(SocketHandle s) { return static_cast<SOCKET>(s); }

}  // namespace

uint16_t HostToNetwork16(uint16_t shValue) { return htons(shValue); }
uint16_t NetworkToHost16(uint16_t shValue) { return ntohs(shValue); }

SocketHandle OpenStreamSocket() { return static_cast<SocketHandle>(socket(AF_INET, SOCK_STREAM, 0)); }
SocketHandle OpenDatagramSocket() { return static_cast<SocketHandle>(socket(AF_INET, SOCK_DGRAM, 0)); }

bool SetSocketNonBlocking(SocketHandle s, bool bNonBlocking) {
  u_long bParam = bNonBlocking ? 1 : 0;
  return ioctlsocket(Handle(s), FIONBIO, &bParam) == 0;
}

bool GetSocketPendingBytes(SocketHandle s, unsigned long* pulCount) {
  u_long ulQue = 0;
  if (ioctlsocket(Handle(s), FIONREAD, &ulQue) != 0) return false;
  *pulCount = ulQue;
  return true;
}

int WaitSocketWritable(SocketHandle s, long lMicroseconds) {
  fd_set setZero;
  fd_set set;
  FD_ZERO(&setZero);
  FD_ZERO(&set);
  FD_SET(Handle(s), &set);
  fd_set setExcept = setZero;
  timeval tv{lMicroseconds / 1000000, lMicroseconds % 1000000};
  int iResult = select(0, &setZero, &set, &setExcept, &tv);
  return iResult == SOCKET_ERROR ? -1 : iResult;
}

bool WaitSocketReadable(SocketHandle s, int iMilliseconds) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(Handle(s), &readable);
  if (iMilliseconds < 0) iMilliseconds = 0;
  timeval tv{iMilliseconds / 1000, (iMilliseconds % 1000) * 1000};
  return select(0, &readable, nullptr, nullptr, &tv) > 0;
}

bool BindSocket(SocketHandle s, const SocketAddress& address) {
  sockaddr_in native = ToSockaddr(address);
  return bind(Handle(s), reinterpret_cast<const sockaddr*>(&native), sizeof native) == 0;
}

bool ListenSocket(SocketHandle s, int iBacklog) { return listen(Handle(s), iBacklog) == 0; }

SocketHandle AcceptSocket(SocketHandle s) {
  SOCKET accepted = accept(Handle(s), nullptr, nullptr);
  return accepted == INVALID_SOCKET ? kInvalidSocket : static_cast<SocketHandle>(accepted);
}

bool GetSocketName(SocketHandle s, SocketAddress* pAddress) {
  sockaddr_in native{};
  int size = sizeof native;
  if (getsockname(Handle(s), reinterpret_cast<sockaddr*>(&native), &size) != 0) return false;
  *pAddress = FromSockaddr(native);
  return true;
}

bool ConnectSocket(SocketHandle s, const SocketAddress& address) {
  sockaddr_in native = ToSockaddr(address);
  return connect(Handle(s), reinterpret_cast<const sockaddr*>(&native), sizeof native) == 0;
}

long SendOnSocket(SocketHandle s, const void* pData, size_t nSize) {
  int sent = send(Handle(s), static_cast<const char*>(pData), static_cast<int>(nSize), 0);
  return sent == SOCKET_ERROR ? -1 : sent;
}

long SendToSocket(SocketHandle s, const void* pData, size_t nSize, const SocketAddress& to) {
  sockaddr_in native = ToSockaddr(to);
  int sent = sendto(Handle(s), static_cast<const char*>(pData), static_cast<int>(nSize), 0,
                    reinterpret_cast<const sockaddr*>(&native), sizeof native);
  return sent == SOCKET_ERROR ? -1 : sent;
}

long ReceiveFromSocket(SocketHandle s, void* pBuffer, size_t nSize, SocketAddress* pFrom, int* piFromSize) {
  sockaddr_in native{};
  int size = sizeof native;
  if (piFromSize != nullptr && *piFromSize >= 0 && *piFromSize < size) size = *piFromSize;
  int length = recvfrom(Handle(s), static_cast<char*>(pBuffer), static_cast<int>(nSize), 0,
                        reinterpret_cast<sockaddr*>(&native), &size);
  if (length == SOCKET_ERROR) return -1;
  if (pFrom != nullptr && size > 0) *pFrom = FromSockaddr(native);
  if (piFromSize != nullptr) *piFromSize = size;
  return length;
}

void ShutdownSocketReceive(SocketHandle s) { shutdown(Handle(s), SD_RECEIVE); }

void CloseSocketHandle(SocketHandle s) { closesocket(Handle(s)); }

bool ResolveHostAddress(const std::string& sHost, uint8_t (&byAddress)[4]) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* pResult = nullptr;
  if (getaddrinfo(sHost.c_str(), nullptr, &hints, &pResult) != 0 || pResult == nullptr) return false;
  const auto* pAddress = reinterpret_cast<const sockaddr_in*>(pResult->ai_addr);
  std::memcpy(byAddress, &pAddress->sin_addr, 4);
  freeaddrinfo(pResult);
  return true;
}

}  // namespace platform
