#ifndef KESTO_PLATFORM_INTERFACETABLE_H
#define KESTO_PLATFORM_INTERFACETABLE_H

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// One IPv4 address of one network interface, addresses in host order (first octet high).
struct NetInterface {
  std::string sName;         // "eth0"; the friendly name on Windows
  uint32_t dwAddress = 0;    // host order, first octet high
  uint32_t dwMask = 0;
  uint32_t dwBroadcast = 0;  // directed broadcast (address | ~mask) when bBroadcast
  bool bUp = false, bBroadcast = false, bLoopback = false;

  bool operator==(const NetInterface&) const = default;
};

// Every IPv4 address of every interface, in the system's order. False when unreadable.
bool ReadInterfaces(std::vector<NetInterface>* pList);

}  // namespace platform

#endif
