#include "platform/SocketCalls.h"

namespace platform {

SocketAddress ToSocketAddress(const Ipv4Endpoint& endpoint) {
  SocketAddress address;
  address.shFamily = kAddressFamilyInet;
  address.shPort = HostToNetwork16(endpoint.wPort);
  for (int i = 0; i < 4; ++i) address.byAddress[i] = static_cast<uint8_t>(endpoint.dwAddress >> (24 - 8 * i));
  return address;
}

Ipv4Endpoint ToEndpoint(const SocketAddress& address) {
  uint32_t dwAddress = 0;
  for (uint8_t by : address.byAddress) dwAddress = dwAddress << 8 | by;
  return Ipv4Endpoint{dwAddress, NetworkToHost16(address.shPort)};
}

}  // namespace platform
