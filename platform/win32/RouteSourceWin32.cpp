#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/RouteSource.h"

namespace platform {

bool RouteSourceAddress(const Ipv4Endpoint& to, uint32_t* pdwSource) {
  const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET) return false;
  const BOOL bOn = TRUE;
  setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&bOn), sizeof bOn);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(to.wPort);
  address.sin_addr.s_addr = htonl(to.dwAddress);
  sockaddr_in local{};
  int nLocal = sizeof local;
  // connect() on a datagram socket only picks the route and the source address.
  const bool bFound = connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                      getsockname(s, reinterpret_cast<sockaddr*>(&local), &nLocal) == 0 &&
                      local.sin_addr.s_addr != htonl(INADDR_ANY);
  closesocket(s);
  if (bFound) *pdwSource = ntohl(local.sin_addr.s_addr);
  return bFound;
}

}  // namespace platform
