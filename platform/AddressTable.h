#ifndef KESTO_PLATFORM_ADDRESSTABLE_H
#define KESTO_PLATFORM_ADDRESSTABLE_H

#include <cstdint>
#include <vector>

namespace platform {

// One IPv4 address of this machine, both values in host order (first octet high).
struct LocalAddressEntry {
  uint32_t dwAddress = 0;
  uint32_t dwMask = 0;
};

// The machine's IPv4 addresses in the order the system lists them (getifaddrs on
// POSIX, GetIpAddrTable unsorted on Windows). False when the table cannot be read.
bool ReadAddressTable(std::vector<LocalAddressEntry>* pTable);

}  // namespace platform

#endif
