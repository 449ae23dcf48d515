#ifndef KESTO_PLAN_PLANPREVIEW_H
#define KESTO_PLAN_PLANPREVIEW_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "discovery/KestoRecord.h"
#include "formats/DeviceJson.h"
#include "plan/DevicePlan.h"

// One setting that would change: its column name and both values as texts
// (a name as its Latin-1 bytes, unescaped: the printed forms escape it).
struct FieldChange {
  std::string sField;
  std::string sOld;
  std::string sNew;
};

// A planned device against what it says now.
struct PreviewDevice {
  std::array<uint8_t, 6> mac{};
  bool bFound = false;         // it answered
  KESTO_RECORD current;        // its last answer, when found
  CKestoSettingsChange change;           // only the planned fields that differ from that answer
  std::vector<FieldChange> changes;
  std::vector<std::string> errors;  // values outside the dialog's choices that would change
  // Why the addresses it would take would leave it unreachable (the address rule on the
  // values that change); sent only when the user insists.
  std::string sAddressProblem;
  bool HasChanges() const { return !changes.empty(); }
};

// A plan against the devices' answers, and the addresses that several devices
// would hold once it is applied.
struct PlanPreview {
  std::vector<PreviewDevice> devices;  // in plan order
  struct SharedIP {
    uint32_t dwIP;
    std::vector<std::array<uint8_t, 6>> macs;
  };
  std::vector<SharedIP> shared;

  size_t CountChanged() const;
  // Every device's errors: a plan with any is refused whole.
  std::vector<std::string> Errors() const;
  size_t CountNotFound() const;
  // Every device's address problem, as "MAC: reason", in plan order.
  std::vector<std::string> AddressProblems() const;
};

// Compares each entry with the answer of its device (records: every device that
// answered, planned or not, so an address another device holds counts too).
PlanPreview PreviewPlan(const DevicePlan& plan, const std::vector<KESTO_RECORD>& records);

// True when an address would be shared because of this plan: a device sharing
// it takes its IP from the plan. Such a plan is not sent.
bool PlanMakesSharedIP(const PlanPreview& preview);

// One line per device to change, "MAC  field: old -> new, ...", then one per device
// not found, a line per address problem and per shared address, and a summary line
// counting the unchanged devices, which are not listed.
std::string FormatPreview(const PlanPreview& preview);
// The same as a JSON object {"devices":[...],"shared_ip":[...],"changed":N,...}.
DeviceJson PreviewToJson(const PlanPreview& preview);

#endif
