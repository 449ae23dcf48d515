#ifndef KESTO_PLATFORM_UDPSOCKET_H
#define KESTO_PLATFORM_UDPSOCKET_H

#include <cstddef>
#include <memory>
#include <string>

#include "platform/DatagramSocket.h"

namespace platform {

struct UdpSocketOptions {
  bool bBroadcast = true;        // SO_BROADCAST
  bool bBind = false;            // bind to endpBind; otherwise the OS picks a port at the first send
  Ipv4Endpoint endpBind;         // address and port to bind when bBind
  bool bReuseAddress = false;    // lets several simulators share a port in tests
  int iReceiveBufferBytes = 0;   // SO_RCVBUF request; 0 keeps the OS default
};

// Opens a real IPv4 UDP socket. Returns null and fills *psError on failure.
std::unique_ptr<DatagramSocket> OpenUdpSocket(const UdpSocketOptions& options,
                                              std::string* psError);

// The receive buffer size the OS actually granted, or -1.
int GetReceiveBufferBytes(DatagramSocket& socket);

// About how many waiting datagrams of nPayloadBytes that buffer holds before the OS
// drops further ones (it counts its own bookkeeping too), or -1 when unknown.
long GetReceiveBufferDatagrams(DatagramSocket& socket, size_t nPayloadBytes);

}  // namespace platform

#endif
