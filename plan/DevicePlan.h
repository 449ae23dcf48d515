#ifndef KESTO_PLAN_DEVICEPLAN_H
#define KESTO_PLAN_DEVICEPLAN_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "discovery/KestoSettingsChange.h"

// One device of a plan: which device (by MAC, the only thing a broadcast
// set-configuration names) and which of its settings should change. A request
// with no field leaves the device as it is.
struct PlanEntry {
  std::array<uint8_t, 6> mac{};
  CKestoSettingsChange request;
  size_t nRow = 0;  // where it came from (CSV row, JSON element, both from 1), for messages
  // Type, protocol or baud codes outside the dialog's choices and 28-byte names, as (column,
  // message): `kesto list` prints whatever a device holds, so such a value is
  // taken where the device already holds it and refused where it would change.
  std::vector<std::pair<std::string, std::string>> outsideChoices;
};

// Settings for many devices, in the order given; at most one entry per MAC.
struct DevicePlan {
  std::vector<PlanEntry> entries;
};

// The bounds on a plan: larger ones are refused whole.
constexpr size_t kMaxPlanRows = 65535;
constexpr size_t kMaxPlanBytes = 16u << 20;

#endif
