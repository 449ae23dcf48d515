#ifndef KESTO_COMMON_ZNLOCALADDRESS_H
#define KESTO_COMMON_ZNLOCALADDRESS_H

#include <cstdint>

#include "platform/SocketCalls.h"

// The machine's own IPv4 addresses, read afresh from the system's table at each call.
// Masks and addresses come out in network order (first octet in the lowest byte).

// Entries in the table; 0 when it cannot be read.
unsigned GetLocalAddressCount();
// The entry's mask and address, each where asked. False, with nothing written, when the
// table cannot be read or uIndex is not below the entry count.
bool GetLocalAddressEntry(unsigned uIndex, uint32_t* pdwMask, uint32_t* pdwAddress);
// Writes the entry's address into the address field only; false and nothing written otherwise.
bool GetLocalAddress(unsigned uIndex, platform::SocketAddress& address);
bool GetFirstLocalAddress(platform::SocketAddress& address);

#endif
