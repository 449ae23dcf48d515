#ifndef KESTO_COMMON_ZNSERVICEHOST_H
#define KESTO_COMMON_ZNSERVICEHOST_H

#include <cstdint>

#include "platform/SocketCalls.h"

// The host name of the maker's service. A reserved name until the real one is known.
extern const char kServiceHostName[];

// A TCP connection to the maker's service host on the low 16 bits of iPort, or
// kInvalidSocket. The connect blocks with no time-out of its own.
platform::SocketHandle ConnectToServiceHost(int32_t iPort);

// The same to any host name or dotted address; the service host's connection goes
// through here, and tests use it with a local listener.
platform::SocketHandle ConnectToNamedHost(const char* pszHost, int32_t iPort);

#endif
