#ifndef KESTO_PLATFORM_IPV4ENDPOINT_H
#define KESTO_PLATFORM_IPV4ENDPOINT_H

#include <cstdint>

namespace platform {

// An IPv4 address and UDP port, both in host order: the address has its first
// octet in the high byte, the same value the device record stores.
struct Ipv4Endpoint {
  uint32_t dwAddress = 0;
  uint16_t wPort = 0;

  bool operator==(const Ipv4Endpoint&) const = default;
};

constexpr uint32_t kLimitedBroadcast = 0xFFFFFFFFu;
constexpr uint32_t kLoopback = 0x7F000001u;

}  // namespace platform

#endif
