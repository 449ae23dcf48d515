#ifndef KESTO_PLATFORM_SOCKETCALLS_H
#define KESTO_PLATFORM_SOCKETCALLS_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Ipv4Endpoint.h"

namespace platform {

// A socket handle of the platform; kInvalidSocket is none.
using SocketHandle = intptr_t;
constexpr SocketHandle kInvalidSocket = -1;

constexpr uint16_t kAddressFamilyInet = 2;

// An IPv4 socket address in the 16-byte sockaddr_in layout: family, port in network
// order (as stored), the four address bytes first octet first, eight further bytes.
struct SocketAddress {
  uint16_t shFamily = 0;
  uint16_t shPort = 0;
  uint8_t byAddress[4] = {};
  uint8_t byZero[8] = {};
};
static_assert(sizeof(SocketAddress) == 16, "SocketAddress must keep the sockaddr_in layout");

// The same address as an endpoint (host-order address and port) and back.
SocketAddress ToSocketAddress(const Ipv4Endpoint& endpoint);
Ipv4Endpoint ToEndpoint(const SocketAddress& address);

uint16_t HostToNetwork16(uint16_t shValue);
uint16_t NetworkToHost16(uint16_t shValue);

// A TCP or UDP socket over IPv4, or kInvalidSocket.
SocketHandle OpenStreamSocket();
SocketHandle OpenDatagramSocket();

// FIONBIO: true when the switch succeeded.
bool SetSocketNonBlocking(SocketHandle s, bool bNonBlocking);
// FIONREAD: true and the count, or false with *pulCount untouched.
bool GetSocketPendingBytes(SocketHandle s, unsigned long* pulCount);
// select on writability alone: > 0 ready, 0 timed out, -1 error.
int WaitSocketWritable(SocketHandle s, long lMicroseconds);
// True when something can be received within iMilliseconds.
bool WaitSocketReadable(SocketHandle s, int iMilliseconds);

bool BindSocket(SocketHandle s, const SocketAddress& address);
bool ListenSocket(SocketHandle s, int iBacklog);
SocketHandle AcceptSocket(SocketHandle s);
bool GetSocketName(SocketHandle s, SocketAddress* pAddress);
// Blocking connect with no time-out of its own.
bool ConnectSocket(SocketHandle s, const SocketAddress& address);

// One send or recvfrom; the byte count or -1. A send on a broken connection fails
// rather than raising a signal. A datagram longer than nSize fails as on Windows (its
// first nSize bytes are in the buffer, the rest is lost). *piFromSize gives the room
// for the sender's address and returns the length stored; pFrom may be null.
long SendOnSocket(SocketHandle s, const void* pData, size_t nSize);
long SendToSocket(SocketHandle s, const void* pData, size_t nSize, const SocketAddress& to);
long ReceiveFromSocket(SocketHandle s, void* pBuffer, size_t nSize, SocketAddress* pFrom, int* piFromSize);

// shutdown with receiving stopped; close. Results ignored, as their callers do.
void ShutdownSocketReceive(SocketHandle s);
void CloseSocketHandle(SocketHandle s);

// The first IPv4 address of a host name (or dotted text), first octet first.
bool ResolveHostAddress(const std::string& sHost, uint8_t (&byAddress)[4]);

}  // namespace platform

#endif
