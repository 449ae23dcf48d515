#ifndef KESTO_TOOLS_DOCTOR_FIREWALLCHECKS_H
#define KESTO_TOOLS_DOCTOR_FIREWALLCHECKS_H

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ProgramRun.h"
#include "tools/doctor/DoctorCheck.h"

// The command lines the doctor runs to read the rules in force.
extern const std::vector<std::string> kNftListCommand;      // nft -j list ruleset
extern const std::vector<std::string> kIptablesListCommand;   // iptables -S
extern const std::vector<std::string> kWindowsProfileCommand;  // netsh advfirewall show currentprofile

// Whether answers from wDevicePort get through, from what `nft -j list ruleset` printed.
DoctorChecks NftFirewallChecks(const platform::ProgramResult& listing, uint16_t wDevicePort);

// The same from `iptables -S`, for a system without nft.
DoctorChecks IptablesFirewallChecks(const platform::ProgramResult& rules, uint16_t wDevicePort);

// The Windows firewall's profile in force, from `netsh advfirewall show currentprofile`,
// and the rule that lets the answers in to sProgram (whether such a rule exists is not read).
DoctorChecks WindowsFirewallChecks(const platform::ProgramResult& profile, uint16_t wDevicePort,
                                   const std::string& sProgram);

#endif
