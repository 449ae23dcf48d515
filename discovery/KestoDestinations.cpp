#include "discovery/KestoDestinations.h"

#include <algorithm>

#include "COMMON/ZNFail.h"
#include "discovery/KestoRecord.h"

namespace {

bool ParsePrefix(const std::string& sText, int* piPrefix) {
  if (sText.empty() || sText.size() > 2) return false;
  int iValue = 0;
  for (char c : sText) {
    if (c < '0' || c > '9') return false;
    iValue = iValue * 10 + (c - '0');
  }
  *piPrefix = iValue;
  return true;
}

bool Contains(const std::vector<std::string>& names, const std::string& sName) {
  return std::find(names.begin(), names.end(), sName) != names.end();
}

}  // namespace

bool AddTargetRange(const std::string& sText, std::vector<uint32_t>* pvecAddresses, std::string* psError) {
  const size_t nSlash = sText.find('/');
  const std::string sAddress = sText.substr(0, nSlash);
  uint32_t dwAddress = 0;
  if (!ParseAddress(sAddress, &dwAddress))
    return Fail(psError, "\"" + sText + "\" is not an address A.B.C.D or a range A.B.C.D/prefix");
  int iPrefix = 32;
  if (nSlash != std::string::npos) {
    if (!ParsePrefix(sText.substr(nSlash + 1), &iPrefix) || iPrefix < 20 || iPrefix > 32)
      return Fail(psError, "\"" + sText + "\": the prefix must be a number from 20 to 32");
  }
  const uint32_t dwMask = iPrefix == 0 ? 0 : 0xFFFFFFFFu << (32 - iPrefix);
  const uint32_t dwFirst = dwAddress & dwMask;
  const uint64_t qwSize = uint64_t{1} << (32 - iPrefix);
  // On /31 and /32 every address is a host; on wider ranges the first and last are not.
  const uint64_t qwSkip = iPrefix >= 31 ? 0 : 1;
  const uint64_t qwCount = qwSize - 2 * qwSkip;
  if (pvecAddresses->size() + qwCount > KESTO_MAX_UNICAST)
    return Fail(psError, "\"" + sText + "\" would make " + std::to_string(pvecAddresses->size() + qwCount) +
                             " target addresses; at most " + std::to_string(KESTO_MAX_UNICAST) + " are swept");
  for (uint64_t i = 0; i < qwCount; ++i) pvecAddresses->push_back(static_cast<uint32_t>(dwFirst + qwSkip + i));
  return true;
}

bool IsBroadcastInterface(const platform::NetInterface& entry) {
  return entry.bUp && entry.bBroadcast && !entry.bLoopback;
}

std::vector<platform::Ipv4Endpoint> BroadcastEndpoints(const KestoDestinations& destinations, uint16_t wPort,
                                                       const platform::Ipv4Endpoint& endpLimited,
                                                       const std::vector<platform::NetInterface>& table,
                                                       uint32_t dwLimitedSource) {
  std::vector<platform::Ipv4Endpoint> endpoints;
  auto add = [&](const platform::Ipv4Endpoint& endpoint) {
    if (std::find(endpoints.begin(), endpoints.end(), endpoint) == endpoints.end()) endpoints.push_back(endpoint);
  };
  const bool bDefaultTarget = endpLimited.dwAddress == platform::kLimitedBroadcast;
  const bool bLimited = destinations.bLimitedBroadcast && !(bDefaultTarget && !destinations.vecInterfaces.empty());
  if (bLimited) add(endpLimited);
  if (!bDefaultTarget || !destinations.bEveryAdapter) return endpoints;
  std::string sLimitedInterface;
  if (bLimited && dwLimitedSource != 0) {
    for (const platform::NetInterface& entry : table)
      if (entry.dwAddress == dwLimitedSource) sLimitedInterface = entry.sName;
  }
  for (const platform::NetInterface& entry : table) {
    if (!IsBroadcastInterface(entry)) continue;
    if (!sLimitedInterface.empty() && entry.sName == sLimitedInterface) continue;
    if (!destinations.vecInterfaces.empty() && !Contains(destinations.vecInterfaces, entry.sName)) continue;
    // A /32 or /31 address has no directed broadcast of its own; the limited one covers it.
    if (entry.dwMask >= 0xFFFFFFFEu || entry.dwBroadcast == 0 || entry.dwBroadcast == platform::kLimitedBroadcast)
      continue;
    add({entry.dwBroadcast, wPort});
  }
  return endpoints;
}

std::vector<std::string> UnusableInterfaces(const std::vector<std::string>& vecInterfaces,
                                            const std::vector<platform::NetInterface>& table) {
  std::vector<std::string> unusable;
  for (const std::string& sName : vecInterfaces) {
    const bool bUsable = std::any_of(table.begin(), table.end(), [&](const platform::NetInterface& entry) {
      return entry.sName == sName && IsBroadcastInterface(entry);
    });
    if (!bUsable && !Contains(unusable, sName)) unusable.push_back(sName);
  }
  return unusable;
}

std::vector<std::string> UsableInterfaceNames(const std::vector<platform::NetInterface>& table) {
  std::vector<std::string> names;
  for (const platform::NetInterface& entry : table)
    if (IsBroadcastInterface(entry) && !Contains(names, entry.sName)) names.push_back(entry.sName);
  return names;
}
