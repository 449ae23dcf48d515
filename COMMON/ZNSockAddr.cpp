#include "COMMON/ZNSockAddr.h"

#include <cstdio>

std::string AddressToText(uint32_t dwIP) {
  char szText[16];
  std::snprintf(szText, sizeof szText, "%d.%d.%d.%d", static_cast<int>(dwIP & 0xFF),
                static_cast<int>((dwIP >> 8) & 0xFF), static_cast<int>((dwIP >> 16) & 0xFF),
                static_cast<int>((dwIP >> 24) & 0xFF));
  return szText;
}

std::string GetSockAddrText(const platform::SocketAddress& address) {
  const uint8_t* by = address.byAddress;
  uint32_t dwIP = uint32_t{by[0]} | uint32_t{by[1]} << 8 | uint32_t{by[2]} << 16 | uint32_t{by[3]} << 24;
  return AddressToText(dwIP);
}

void MakeSockAddr(platform::SocketAddress& address, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4,
                  uint16_t shPort) {
  address.shFamily = platform::kAddressFamilyInet;
  address.byAddress[0] = b1;
  address.byAddress[1] = b2;
  address.byAddress[2] = b3;
  address.byAddress[3] = b4;
  address.shPort = platform::HostToNetwork16(shPort);
}

void SplitSockAddr(const platform::SocketAddress& address, uint8_t& b1, uint8_t& b2, uint8_t& b3, uint8_t& b4,
                   uint16_t& shPort) {
  b1 = address.byAddress[0];
  b2 = address.byAddress[1];
  b3 = address.byAddress[2];
  b4 = address.byAddress[3];
  shPort = platform::NetworkToHost16(address.shPort);
}
