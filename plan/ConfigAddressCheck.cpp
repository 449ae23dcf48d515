#include "plan/ConfigAddressCheck.h"

#include "discovery/KestoRecord.h"

bool CConfigAddressCheck::IsContiguousMask(uint32_t dwNetMask) {
  const uint32_t dwHost = ~dwNetMask;
  return dwNetMask != 0 && (dwHost & (dwHost + 1)) == 0;
}

CConfigAddressCheck::Result CConfigAddressCheck::Check(const Addresses& after, const std::optional<Addresses>& before,
                                                       const std::vector<OtherDevice>& others) {
  const uint32_t dwIPAddress = after.dwIPAddress, dwNetMask = after.dwNetMask, dwGateway = after.dwGateway;
  const bool bIP = !before || before->dwIPAddress != dwIPAddress;
  const bool bMask = !before || before->dwNetMask != dwNetMask;
  const bool bGateway = !before || before->dwGateway != dwGateway;
  const std::string sIP = FormatAddress(dwIPAddress);
  if (bMask && !IsContiguousMask(dwNetMask))
    return {kNetMask,
            "The net mask " + FormatAddress(dwNetMask) +
                " is not a valid mask: it must be ones followed by zeros, such as 255.255.255.0."};
  // /31 and /32 have no network or broadcast address of their own.
  const bool bHasHostPart = (~dwNetMask) > 1u;
  if ((bGateway || bMask || bIP) && dwGateway != 0 && (dwGateway & dwNetMask) != (dwIPAddress & dwNetMask))
    return {kGateway, "The gateway " + FormatAddress(dwGateway) + " lies outside the device's network " +
                          FormatAddress(dwIPAddress & dwNetMask) + " (mask " + FormatAddress(dwNetMask) +
                          "). Choose a gateway inside it, or 0.0.0.0 for none."};
  if (!bIP && !bMask) return {};
  if (dwIPAddress == 0) return {kIPZero, "The IP address 0.0.0.0 cannot be a device's address."};
  if (dwIPAddress == 0xFFFFFFFFu || (bHasHostPart && (dwIPAddress | dwNetMask) == 0xFFFFFFFFu))
    return {kIPBroadcast, "The IP address " + sIP + " is the broadcast address of its network; choose another."};
  if (bHasHostPart && (dwIPAddress & ~dwNetMask) == 0)
    return {kIPNetwork, "The IP address " + sIP + " is the address of the network itself; choose another."};
  if (!bIP) return {};
  for (const OtherDevice& other : others) {
    if (other.dwIPAddress == dwIPAddress)
      return {kIPInUse,
              "The IP address " + sIP + " is already used by " + other.sLabel +
                  ". Two devices with one address cannot both be reached."};
  }
  return {};
}
