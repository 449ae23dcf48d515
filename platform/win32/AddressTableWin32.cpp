#include <winsock2.h>
#include <iphlpapi.h>

#include <vector>

#include "platform/AddressTable.h"

namespace platform {

bool ReadAddressTable(std::vector<LocalAddressEntry>* pTable) {
  // The first call reports the size the table needs; an address added between
  // the two calls makes the second ask for more, so try again a few times.
  ULONG lSize = 0;
  std::vector<unsigned char> byBuffer;
  DWORD dwResult = GetIpAddrTable(nullptr, &lSize, FALSE);
  for (int iTry = 0; iTry < 4 && dwResult == ERROR_INSUFFICIENT_BUFFER; ++iTry) {
    byBuffer.assign(lSize, 0);
    dwResult = GetIpAddrTable(reinterpret_cast<MIB_IPADDRTABLE*>(byBuffer.data()), &lSize, FALSE);
  }
  if (dwResult != NO_ERROR || byBuffer.empty()) return false;
  auto* pIpTable = reinterpret_cast<MIB_IPADDRTABLE*>(byBuffer.data());
  pTable->clear();
  for (DWORD i = 0; i < pIpTable->dwNumEntries; ++i) {
    LocalAddressEntry entry;
    entry.dwAddress = ntohl(pIpTable->table[i].dwAddr);
    entry.dwMask = ntohl(pIpTable->table[i].dwMask);
    pTable->push_back(entry);
  }
  return true;
}

}  // namespace platform
