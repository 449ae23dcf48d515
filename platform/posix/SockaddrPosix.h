#ifndef KESTO_PLATFORM_POSIX_SOCKADDRPOSIX_H
#define KESTO_PLATFORM_POSIX_SOCKADDRPOSIX_H

#include <netinet/in.h>

#include "platform/SocketCalls.h"

// The native form of a socket address, for the POSIX socket code only.
namespace platform {

sockaddr_in ToSockaddr(const SocketAddress& address);
SocketAddress FromSockaddr(const sockaddr_in& native);

inline sockaddr_in ToSockaddr(const Ipv4Endpoint& endpoint) { return ToSockaddr(ToSocketAddress(endpoint)); }
inline Ipv4Endpoint EndpointOf(const sockaddr_in& native) { return ToEndpoint(FromSockaddr(native)); }

}  // namespace platform

#endif
