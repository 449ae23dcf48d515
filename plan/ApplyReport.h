#ifndef KESTO_PLAN_APPLYREPORT_H
#define KESTO_PLAN_APPLYREPORT_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/DeviceJson.h"
#include "plan/PlanPreview.h"
#include "plan/PlanRun.h"

// The final word on one planned device.
struct ReportLine {
  std::array<uint8_t, 6> mac{};
  std::string sName;  // its name as it last answered (Latin-1), empty when not found
  DeviceOutcome outcome = DeviceOutcome::kNotSent;
  std::string sReason;  // why it was refused
};

// One line per device of the preview, in its order: not found, unchanged, or
// the outcome of its step in the run (step i is the preview's i-th device with
// changes); without a run those are "not sent".
std::vector<ReportLine> ReportLines(const PlanPreview& preview, const CPlanRun* pRun);

// A table "MAC Address  Name  Result" (names made safe for a terminal, a
// refusal as "refused: reason") and a line counting each outcome.
std::string FormatReport(const std::vector<ReportLine>& lines);
// [{"mac":...,"name":...,"result":"confirmed"}, ...], "reason" with a refusal.
DeviceJson ReportToJson(const std::vector<ReportLine>& lines);
// How many lines have that outcome.
size_t CountOutcome(const std::vector<ReportLine>& lines, DeviceOutcome outcome);

#endif
