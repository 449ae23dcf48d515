#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "platform/InterfaceTable.h"

namespace platform {

namespace {

uint32_t HostOrder(const sockaddr* pAddress) {
  return ntohl(reinterpret_cast<const sockaddr_in*>(pAddress)->sin_addr.s_addr);
}

}  // namespace

bool ReadInterfaces(std::vector<NetInterface>* pList) {
  ifaddrs* pAll = nullptr;
  if (::getifaddrs(&pAll) != 0) return false;
  pList->clear();
  for (ifaddrs* p = pAll; p != nullptr; p = p->ifa_next) {
    if (p->ifa_addr == nullptr || p->ifa_addr->sa_family != AF_INET) continue;
    NetInterface entry;
    entry.sName = p->ifa_name != nullptr ? p->ifa_name : "";
    entry.dwAddress = HostOrder(p->ifa_addr);
    if (p->ifa_netmask != nullptr) entry.dwMask = HostOrder(p->ifa_netmask);
    // IFF_RUNNING as well: an interface set up without a carrier sends nothing.
    entry.bUp = (p->ifa_flags & IFF_UP) != 0 && (p->ifa_flags & IFF_RUNNING) != 0;
    entry.bLoopback = (p->ifa_flags & IFF_LOOPBACK) != 0;
    entry.bBroadcast = (p->ifa_flags & IFF_BROADCAST) != 0;
    // The computed form rather than ifa_broadaddr, which may be unset or stale.
    if (entry.bBroadcast) entry.dwBroadcast = entry.dwAddress | ~entry.dwMask;
    pList->push_back(std::move(entry));
  }
  ::freeifaddrs(pAll);
  return true;
}

}  // namespace platform
