#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/RouteSource.h"

namespace platform {

bool RouteSourceAddress(const Ipv4Endpoint& to, uint32_t* pdwSource) {
  const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (s < 0) return false;
  const int iOn = 1;
  ::setsockopt(s, SOL_SOCKET, SO_BROADCAST, &iOn, sizeof iOn);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(to.wPort);
  address.sin_addr.s_addr = htonl(to.dwAddress);
  sockaddr_in local{};
  socklen_t nLocal = sizeof local;
  // connect() on a datagram socket only picks the route and the source address.
  const bool bFound = ::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                      ::getsockname(s, reinterpret_cast<sockaddr*>(&local), &nLocal) == 0 &&
                      local.sin_addr.s_addr != htonl(INADDR_ANY);
  ::close(s);
  if (bFound) *pdwSource = ntohl(local.sin_addr.s_addr);
  return bFound;
}

}  // namespace platform
