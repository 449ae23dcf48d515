#ifndef KESTO_TOOLS_DOCTOR_IPTABLESRULES_H
#define KESTO_TOOLS_DOCTOR_IPTABLESRULES_H

#include <cstdint>
#include <string>

#include "tools/doctor/NftRuleset.h"

// What the filter table's rules as `iptables -S` prints them do to a device's answer
// (the datagram NftVerdict describes), for systems without nft. The dropping chain is
// always INPUT of table ip filter; the manager is ufw when its chains are there.
NftVerdict JudgeIptablesRules(const std::string& sRules, uint16_t wDevicePort);

// iptables -I INPUT -p udp --sport PORT -j ACCEPT
std::string IptablesAcceptCommand(uint16_t wDevicePort);

#endif
