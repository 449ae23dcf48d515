#ifndef KESTO_DISCOVERY_KESTOSENDER_H
#define KESTO_DISCOVERY_KESTOSENDER_H

#include <cstdint>
#include <string>
#include <vector>

#include "discovery/KestoRecord.h"
#include "platform/Ipv4Endpoint.h"

// One address a device's answers came from: where, when last, and the record it
// sent last. Any host can answer with any MAC, so the finder keeps every such
// address instead of trusting the latest one.
struct KestoSender {
  platform::Ipv4Endpoint endpoint;
  uint32_t dwLastSeen = 0;
  KESTO_RECORD record;
};

// "a.b.c.d:port".
std::string FormatEndpoint(const platform::Ipv4Endpoint& endpoint);
// The senders' endpoints, joined by ", ".
std::string FormatSenders(const std::vector<KestoSender>& senders);
std::string FormatEndpoints(const std::vector<platform::Ipv4Endpoint>& endpoints);

#endif
