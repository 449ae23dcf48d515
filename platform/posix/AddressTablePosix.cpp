#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "platform/AddressTable.h"

namespace platform {

bool ReadAddressTable(std::vector<LocalAddressEntry>* pTable) {
  ifaddrs* pList = nullptr;
  if (::getifaddrs(&pList) != 0) return false;
  pTable->clear();
  for (ifaddrs* p = pList; p != nullptr; p = p->ifa_next) {
    if (p->ifa_addr == nullptr || p->ifa_addr->sa_family != AF_INET) continue;
    LocalAddressEntry entry;
    entry.dwAddress = ntohl(reinterpret_cast<const sockaddr_in*>(p->ifa_addr)->sin_addr.s_addr);
    if (p->ifa_netmask != nullptr)
      entry.dwMask = ntohl(reinterpret_cast<const sockaddr_in*>(p->ifa_netmask)->sin_addr.s_addr);
    pTable->push_back(entry);
  }
  ::freeifaddrs(pList);
  return true;
}

}  // namespace platform
