#ifndef KESTO_PLAN_ADDRESSASSIGNMENT_H
#define KESTO_PLAN_ADDRESSASSIGNMENT_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "discovery/KestoRecord.h"
#include "plan/DevicePlan.h"

// The order in which matching devices take the addresses of a range.
enum class AssignOrder { kMac, kName, kIp, kListed };

// Sequential addresses for many devices: every device that matches takes the
// next address of the range that no other listed device holds.
struct AddressAssignment {
  uint32_t dwFirst = 0;
  uint32_t dwLast = 0;
  std::optional<uint32_t> dwNetMask;  // written to every matching device too
  std::optional<uint32_t> dwGateway;
  AssignOrder order = AssignOrder::kMac;
  std::string sMatch;  // the filter box's rule; empty matches every device
};

// "FIRST" or "FIRST-LAST". Without LAST the range ends at the last host address
// of FIRST's subnet (under dwNetMask when given, else a /24).
// The error says what is wrong with the text; the caller names the field before it.
bool ParseAddressRange(std::string_view text, const std::optional<uint32_t>& dwNetMask, uint32_t* pdwFirst,
                       uint32_t* pdwLast, std::string* psError);
bool ParseAssignOrder(std::string_view text, AssignOrder* pOrder);

// The desktop filter box's rule: the text, ignoring ASCII case, occurs in the
// name, the MAC (with or without separators), the IP address or the version.
bool DeviceMatches(const KESTO_RECORD& record, std::string_view match);

// Builds the plan over the listed devices (in order of first answer). False
// when no device matches or the range has fewer free addresses than devices.
bool BuildAssignmentPlan(const AddressAssignment& assignment, const std::vector<KESTO_RECORD>& listed,
                         DevicePlan* pPlan, std::string* psError);
// The same for devices chosen some other way (the rows selected in a window),
// which take the addresses in the order given; assignment.order and sMatch are
// not used. Every listed device not chosen keeps its address, which is skipped.
bool BuildAssignmentPlanFor(const AddressAssignment& assignment, const std::vector<KESTO_RECORD>& chosen,
                            const std::vector<KESTO_RECORD>& listed, DevicePlan* pPlan, std::string* psError);

#endif
