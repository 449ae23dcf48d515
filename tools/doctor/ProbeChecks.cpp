#include "tools/doctor/ProbeChecks.h"

#include <string>

#include "discovery/KestoAddressCheck.h"
#include "discovery/KestoDestinations.h"
#include "formats/TerminalText.h"
#include "tools/doctor/AdapterChecks.h"

namespace {

// A line names at most this many devices; the rest are counted.
constexpr size_t kMaxNamed = 8;

std::string DeviceText(const KESTO_RECORD& record) {
  return FormatMAC(record.byMAC) + " (" + FormatAddress(record.dwIPAddress) + ")";
}

std::string Devices(size_t n) { return std::to_string(n) + (n == 1 ? " device" : " devices"); }

}  // namespace

DoctorChecks CheckProbe(const ProbeFacts& facts) {
  DoctorChecks checks;
  const std::string sWait = std::to_string(facts.dwWaitMs) + " ms";
  if (facts.records.empty()) {
    checks.push_back({"probe", DoctorCheck::kProblem, "no device answered within " + sWait,
                      {"see the firewall and adapter lines above",
                       "check that the devices have power and are cabled to this computer's network"}});
    return checks;
  }
  checks.push_back({"probe", DoctorCheck::kOk, Devices(facts.records.size()) + " answered within " + sWait, {}});
  if (facts.bJudgeSubnets) {
    for (const platform::NetInterface& entry : facts.table) {
      if (!IsBroadcastInterface(entry)) continue;
      size_t n = 0;
      for (const KESTO_RECORD& record : facts.records)
        if ((record.dwIPAddress & entry.dwMask) == (entry.dwAddress & entry.dwMask)) ++n;
      checks.push_back({"probe", DoctorCheck::kOk,
                        TerminalText(entry.sName) + " " + SubnetText(entry.dwAddress, entry.dwMask) + ": " +
                            Devices(n) + " on its subnet",
                        {}});
    }
    std::string sOutside;
    size_t nOutside = 0;
    for (const KESTO_RECORD& record : facts.records) {
      if (CKestoAddressCheck::IsOnLocalSubnet(record.dwIPAddress, facts.table)) continue;
      if (++nOutside <= kMaxNamed) sOutside += (sOutside.empty() ? "" : ", ") + DeviceText(record);
    }
    if (nOutside > kMaxNamed) sOutside += " and " + std::to_string(nOutside - kMaxNamed) + " more";
    if (nOutside > 0) {
      checks.push_back({"probe", DoctorCheck::kWarning,
                        Devices(nOutside) + " answered from outside every adapter's subnet: " + sOutside +
                            "; their web pages will not open from here",
                        {"give each an address on this computer's subnet: kesto set MAC --ip A.B.C.D --netmask M",
                         "or in the window: select it and use Basic Config..."}});
    }
  }
  CKestoAddressCheck check;
  check.Rebuild(facts.records);
  for (uint32_t dwIP : check.GetSharedIPs()) {
    std::string sMACs;
    for (const auto& mac : check.MACsWithIP(dwIP)) sMACs += (sMACs.empty() ? "" : ", ") + FormatMAC(mac.data());
    checks.push_back({"probe", DoctorCheck::kProblem,
                      FormatAddress(dwIP) + " is held by several devices (" + sMACs +
                          "), as when they all still have the factory address",
                      {"give each its own address: kesto apply --assign-ip FIRST-LAST (--match TEXT picks some devices)",
                       "or in the window: select them all and use Basic Config... (the form for several devices)"}});
  }
  if (facts.qwRefused > 0) {
    checks.push_back({"probe", DoctorCheck::kWarning,
                      std::to_string(facts.qwRefused) + " further devices were refused: the list is full", {}});
  }
  return checks;
}
