#include "platform/AddressTable.h"
#include "platform/InterfaceTable.h"

namespace platform {

// The same walk of the system's list as the interface table, without the names and flags.
bool ReadAddressTable(std::vector<LocalAddressEntry>* pTable) {
  std::vector<NetInterface> interfaces;
  if (!ReadInterfaces(&interfaces)) return false;
  pTable->clear();
  for (const NetInterface& entry : interfaces) pTable->push_back({entry.dwAddress, entry.dwMask});
  return true;
}

}  // namespace platform
