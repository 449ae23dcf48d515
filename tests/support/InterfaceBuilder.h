#ifndef KESTO_TESTS_INTERFACEBUILDER_H
#define KESTO_TESTS_INTERFACEBUILDER_H

#include <cstdint>

#include "platform/InterfaceTable.h"

// The mask of a prefix length 0-32, host order.
constexpr uint32_t PrefixMask(int iPrefix) { return iPrefix == 0 ? 0 : 0xFFFFFFFFu << (32 - iPrefix); }

// One entry of a made-up interface table; the directed broadcast follows from
// address and mask when the interface can broadcast.
inline platform::NetInterface MakeInterface(const char* pszName, uint32_t dwAddress, uint32_t dwMask,
                                            bool bUp = true, bool bBroadcast = true, bool bLoopback = false) {
  platform::NetInterface entry;
  entry.sName = pszName;
  entry.dwAddress = dwAddress;
  entry.dwMask = dwMask;
  entry.bUp = bUp;
  entry.bBroadcast = bBroadcast;
  entry.bLoopback = bLoopback;
  entry.dwBroadcast = bBroadcast ? (dwAddress | ~dwMask) : 0;
  return entry;
}

#endif
