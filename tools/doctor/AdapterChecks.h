#ifndef KESTO_TOOLS_DOCTOR_ADAPTERCHECKS_H
#define KESTO_TOOLS_DOCTOR_ADAPTERCHECKS_H

#include <cstdint>
#include <string>
#include <vector>

#include "platform/InterfaceTable.h"
#include "tools/doctor/DoctorCheck.h"

// What the doctor knows of this computer's adapters before it sends anything.
struct AdapterFacts {
  bool bTableRead = false;
  std::vector<platform::NetInterface> table;
  uint32_t dwLimitedSource = 0;  // where 255.255.255.255 leaves from; 0: no route
  std::string sRoomNotice;       // the receive buffer is short (empty: enough, or unknown)
};

// One line per adapter (IPv4, up or down, virtual), then adapters sharing a
// subnet, the route of 255.255.255.255 and the receive buffer.
DoctorChecks CheckAdapters(const AdapterFacts& facts);

// Whether the name is one virtualisation or VPN software gives its adapters.
bool IsVirtualAdapterName(const std::string& sName);

// "10.0.0.0/24"
std::string SubnetText(uint32_t dwAddress, uint32_t dwMask);

#endif
