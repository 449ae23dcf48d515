#include "app/logic/TargetOption.h"

#include <charconv>

#include "discovery/KestoRecord.h"

bool ParseTargetOption(std::string_view text, platform::Ipv4Endpoint* pTarget, std::string* psError) {
  const size_t nColon = text.rfind(':');
  uint32_t dwAddress = 0;
  if (nColon == std::string_view::npos || !ParseAddress(text.substr(0, nColon), &dwAddress)) {
    *psError = "KESTO_TARGET must be a.b.c.d:port, got \"" + std::string(text) + "\"";
    return false;
  }
  const std::string_view port = text.substr(nColon + 1);
  unsigned uPort = 0;
  const auto [pEnd, ec] = std::from_chars(port.data(), port.data() + port.size(), uPort);
  if (port.empty() || ec != std::errc() || pEnd != port.data() + port.size() || uPort == 0 || uPort > 65535) {
    *psError = "KESTO_TARGET has no valid port in \"" + std::string(text) + "\"";
    return false;
  }
  pTarget->dwAddress = dwAddress;
  pTarget->wPort = static_cast<uint16_t>(uPort);
  return true;
}
