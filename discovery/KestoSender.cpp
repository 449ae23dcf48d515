#include "discovery/KestoSender.h"

std::string FormatEndpoint(const platform::Ipv4Endpoint& endpoint) {
  return FormatAddress(endpoint.dwAddress) + ":" + std::to_string(endpoint.wPort);
}

std::string FormatEndpoints(const std::vector<platform::Ipv4Endpoint>& endpoints) {
  std::string sText;
  for (const platform::Ipv4Endpoint& endpoint : endpoints)
    sText += (sText.empty() ? "" : ", ") + FormatEndpoint(endpoint);
  return sText;
}

std::string FormatSenders(const std::vector<KestoSender>& senders) {
  std::vector<platform::Ipv4Endpoint> endpoints;
  for (const KestoSender& sender : senders) endpoints.push_back(sender.endpoint);
  return FormatEndpoints(endpoints);
}
