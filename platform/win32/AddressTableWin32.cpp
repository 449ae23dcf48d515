#include <winsock2.h>
#include <iphlpapi.h>

#include <vector>

#include "platform/AddressTable.h"

namespace platform {

bool ReadAddressTable(std::vector<LocalAddressEntry>* pTable) {
  // The first call only reports the size the table needs.
  ULONG lSize = 0;
  GetIpAddrTable(nullptr, &lSize, FALSE);
  if (lSize == 0) return false;
  std::vector<unsigned char> byBuffer(lSize);
  auto* pIpTable = reinterpret_cast<MIB_IPADDRTABLE*>(byBuffer.data());
  if (GetIpAddrTable(pIpTable, &lSize, FALSE) != NO_ERROR) return false;
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
