#include "tools/doctor/AdapterChecks.h"

#include <algorithm>
#include <bit>
#include <cctype>

#include "discovery/KestoDestinations.h"
#include "discovery/KestoRecord.h"
#include "formats/TerminalText.h"

namespace {

// Names virtual machines, containers and VPNs give their adapters, lower case.
constexpr const char* kVirtualPrefixes[] = {"docker", "veth", "br-", "virbr", "vmnet", "vboxnet", "tun", "tap",
                                             "wg", "zt", "lxc", "lxd", "cni", "flannel", "podman", "vethernet",
                                             "vmware", "virtualbox", "hyper-v", "tailscale"};
constexpr uint32_t kLinkLocalNet = 0xA9FE0000u;  // 169.254.0.0/16: no DHCP answer came

std::string Lower(std::string sText) {
  for (char& c : sText) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return sText;
}

std::string AdapterText(const platform::NetInterface& entry) {
  return TerminalText(entry.sName) + " " + FormatAddress(entry.dwAddress) + "/" +
         std::to_string(std::popcount(entry.dwMask));
}

}  // namespace

bool IsVirtualAdapterName(const std::string& sName) {
  const std::string sLower = Lower(sName);
  for (const char* pszPrefix : kVirtualPrefixes)
    if (sLower.rfind(pszPrefix, 0) == 0) return true;
  return sLower.find("virtual") != std::string::npos;
}

std::string SubnetText(uint32_t dwAddress, uint32_t dwMask) {
  return FormatAddress(dwAddress & dwMask) + "/" + std::to_string(std::popcount(dwMask));
}

DoctorChecks CheckAdapters(const AdapterFacts& facts) {
  DoctorChecks checks;
  if (!facts.bTableRead) {
    checks.push_back({"adapter", DoctorCheck::kUnknown, "the adapter table cannot be read", {}});
    return checks;
  }
  std::vector<const platform::NetInterface*> usable;
  for (const platform::NetInterface& entry : facts.table) {
    if (entry.bLoopback) continue;
    DoctorCheck check{"adapter", DoctorCheck::kOk, AdapterText(entry), {}};
    if (!entry.bUp) {
      check.verdict = DoctorCheck::kWarning;
      check.sText += " is down: nothing is sent or heard on it";
      check.fixes.push_back("connect its cable or switch it on (Linux: ip link set " + TerminalText(entry.sName) +
                            " up)");
    } else if (!entry.bBroadcast) {
      check.verdict = DoctorCheck::kInfo;
      check.sText += " cannot broadcast (point-to-point or VPN): devices behind it answer only to --target";
    } else if ((entry.dwAddress & 0xFFFF0000u) == kLinkLocalNet) {
      check.verdict = DoctorCheck::kWarning;
      check.sText += " has a self-assigned address: no DHCP server answered on it";
      check.fixes.push_back("check its network, or give it a fixed address on the devices' subnet");
      usable.push_back(&entry);
    } else {
      check.sText += IsVirtualAdapterName(entry.sName) ? " up, virtual: broadcasts go there too" : " up";
      if (IsVirtualAdapterName(entry.sName)) check.verdict = DoctorCheck::kInfo;
      usable.push_back(&entry);
    }
    checks.push_back(std::move(check));
  }
  if (usable.empty()) {
    checks.push_back({"adapter", DoctorCheck::kProblem, "no adapter is up with an IPv4 address that can broadcast",
                      {"connect this computer to the devices' network"}});
  }

  // Two adapters on one subnet: answers come back by whichever the routing table picks.
  std::vector<bool> reported(usable.size(), false);
  for (size_t i = 0; i < usable.size(); ++i) {
    if (reported[i]) continue;
    std::string sNames = TerminalText(usable[i]->sName);
    int nSharing = 1;
    for (size_t j = i + 1; j < usable.size(); ++j) {
      const uint32_t dwMask = std::min(usable[i]->dwMask, usable[j]->dwMask);  // the shorter prefix holds the other
      if ((usable[i]->dwAddress & dwMask) != (usable[j]->dwAddress & dwMask) || usable[i]->sName == usable[j]->sName)
        continue;
      reported[j] = true;
      sNames += " and " + TerminalText(usable[j]->sName);
      ++nSharing;
    }
    if (nSharing < 2) continue;
    checks.push_back({"adapter", DoctorCheck::kWarning,
                      sNames + " are on one subnet (" + SubnetText(usable[i]->dwAddress, usable[i]->dwMask) +
                          "): answers may come back by either, and a firewall zone may hold only one",
                      {"disconnect one of them, or pick one with --interface NAME"}});
  }

  if (facts.dwLimitedSource == 0) {
    checks.push_back({"route", DoctorCheck::kWarning,
                      "255.255.255.255 has no route: only the adapters' own broadcasts go out",
                      {"add a default route, or rely on the adapters' broadcasts and --target"}});
  } else {
    const auto it = std::find_if(facts.table.begin(), facts.table.end(), [&](const platform::NetInterface& entry) {
      return entry.dwAddress == facts.dwLimitedSource;
    });
    const std::string sName = it == facts.table.end() ? FormatAddress(facts.dwLimitedSource) : TerminalText(it->sName);
    DoctorCheck check{"route", DoctorCheck::kOk, "255.255.255.255 leaves by " + sName + " (" +
                                                     FormatAddress(facts.dwLimitedSource) + ")", {}};
    if (it != facts.table.end() && IsVirtualAdapterName(it->sName)) {
      check.verdict = DoctorCheck::kInfo;
      check.sText += ", a virtual adapter; the other adapters get their own broadcasts";
    }
    checks.push_back(std::move(check));
  }

  if (!facts.sRoomNotice.empty()) {
    checks.push_back({"buffer", DoctorCheck::kWarning, facts.sRoomNotice,
                      {"Linux: sysctl -w net.core.rmem_max=8388608 (as root)"}});
  } else {
    checks.push_back({"buffer", DoctorCheck::kOk, "the receive buffer holds a full list of answers", {}});
  }
  return checks;
}
