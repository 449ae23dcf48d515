#include "COMMON/ZNLocalAddress.h"

#include <vector>

#include "platform/AddressTable.h"

namespace {

// Host order (first octet high) to the in-memory network order.
uint32_t ToNetworkOrder(uint32_t dwHost) {
  return (dwHost >> 24) | ((dwHost >> 8) & 0xFF00u) | ((dwHost << 8) & 0xFF0000u) | (dwHost << 24);
}

}  // namespace

unsigned GetLocalAddressCount() {
  std::vector<platform::LocalAddressEntry> table;
  if (!platform::ReadAddressTable(&table)) return 0;
  return static_cast<unsigned>(table.size());
}

bool GetLocalAddressEntry(unsigned uIndex, uint32_t* pdwMask, uint32_t* pdwAddress) {
  std::vector<platform::LocalAddressEntry> table;
  if (!platform::ReadAddressTable(&table) || uIndex >= table.size()) return false;
  if (pdwMask != nullptr) *pdwMask = ToNetworkOrder(table[uIndex].dwMask);
  if (pdwAddress != nullptr) *pdwAddress = ToNetworkOrder(table[uIndex].dwAddress);
  return true;
}

bool GetLocalAddress(unsigned uIndex, platform::SocketAddress& address) {
  uint32_t dwAddress = 0;
  if (!GetLocalAddressEntry(uIndex, nullptr, &dwAddress)) return false;
  for (int i = 0; i < 4; ++i) address.byAddress[i] = static_cast<uint8_t>(dwAddress >> (8 * i));
  return true;
}

bool GetFirstLocalAddress(platform::SocketAddress& address) { return GetLocalAddress(0, address); }
