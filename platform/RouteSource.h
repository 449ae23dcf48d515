#ifndef KESTO_PLATFORM_ROUTESOURCE_H
#define KESTO_PLATFORM_ROUTESOURCE_H

#include <cstdint>

#include "platform/Ipv4Endpoint.h"

namespace platform {

// The local address the system would send a datagram to `to` from, found by a
// routing look-up alone (a connected UDP socket; nothing is sent). Broadcast
// destinations are allowed. False when there is no route.
bool RouteSourceAddress(const Ipv4Endpoint& to, uint32_t* pdwSource);

}  // namespace platform

#endif
