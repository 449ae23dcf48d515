#ifndef KESTO_DISCOVERY_KESTODESTINATIONS_H
#define KESTO_DISCOVERY_KESTODESTINATIONS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/InterfaceTable.h"
#include "platform/Ipv4Endpoint.h"

// The most single addresses a finder sweeps, over every --target range together.
constexpr size_t KESTO_MAX_UNICAST = 4096;

// What a finder sends to.
struct KestoDestinations {
  bool bLimitedBroadcast = true;           // 255.255.255.255 (or the endpoint given instead)
  bool bEveryAdapter = true;               // directed broadcast of each up, broadcast-capable IPv4 interface
  std::vector<std::string> vecInterfaces;  // when not empty, only these interfaces (names)
  std::vector<uint32_t> vecUnicast;        // single addresses from --target ranges, at most 4096 in all

  bool operator==(const KestoDestinations&) const = default;
};

// Parses "A.B.C.D" or "A.B.C.D/prefix" (prefix 20..32; /31 and /32 take every address, shorter
// prefixes leave out the network and broadcast addresses) and appends the addresses; false with a
// message when malformed or when the total would pass 4096.
bool AddTargetRange(const std::string& sText, std::vector<uint32_t>* pvecAddresses, std::string* psError);

// The broadcast endpoints one probe goes to, from the interface table (testable without a network).
// The adapters' directed broadcasts join only when endpLimited is 255.255.255.255; a named
// interface filter leaves out the limited broadcast, which would leave by the default route
// whatever the filter says. dwLimitedSource, when not 0, is the local address the limited
// broadcast leaves from: that interface's own directed broadcasts would reach the same link
// twice, so they are left out while the limited one is sent. Each address is listed once.
std::vector<platform::Ipv4Endpoint> BroadcastEndpoints(const KestoDestinations& destinations, uint16_t wPort,
                                                       const platform::Ipv4Endpoint& endpLimited,
                                                       const std::vector<platform::NetInterface>& table,
                                                       uint32_t dwLimitedSource = 0);

// True when the interface can carry a directed broadcast: up, not loopback, broadcast-capable.
bool IsBroadcastInterface(const platform::NetInterface& entry);

// The names in vecInterfaces that the table has no usable (IsBroadcastInterface) entry for.
std::vector<std::string> UnusableInterfaces(const std::vector<std::string>& vecInterfaces,
                                            const std::vector<platform::NetInterface>& table);

// The names of the usable interfaces of the table, each once, in table order.
std::vector<std::string> UsableInterfaceNames(const std::vector<platform::NetInterface>& table);

#endif
