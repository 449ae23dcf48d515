#ifndef KESTO_COMMON_ZNSOCKADDR_H
#define KESTO_COMMON_ZNSOCKADDR_H

#include <cstdint>
#include <string>

#include "platform/SocketCalls.h"

// IPv4 socket addresses and their dotted text. A 32-bit address (dwIP) holds the four
// bytes as they lie in memory in network order: the first octet in the lowest byte.

// "%d.%d.%d.%d" of the four bytes, lowest first.
std::string AddressToText(uint32_t dwIP);
// AddressToText of the socket address's address field.
std::string GetSockAddrText(const platform::SocketAddress& address);

// Family, the four address bytes in order and the port (given in host order); the eight
// further bytes stay as they were.
void MakeSockAddr(platform::SocketAddress& address, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4,
                  uint16_t shPort);
// The four address bytes in order and the port in host order.
void SplitSockAddr(const platform::SocketAddress& address, uint8_t& b1, uint8_t& b2, uint8_t& b3, uint8_t& b4,
                   uint16_t& shPort);

#endif
