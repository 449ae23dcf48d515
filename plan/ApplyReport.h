#ifndef KESTO_PLAN_APPLYREPORT_H
#define KESTO_PLAN_APPLYREPORT_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/DeviceJson.h"
#include "plan/PlanPreview.h"
#include "plan/PlanApplyDriver.h"
#include "plan/PlanRun.h"

// The final word on one planned device.
struct ReportLine {
  std::array<uint8_t, 6> mac{};
  // Its name (Latin-1): the one it confirmed when its settings were, else as it last
  // answered; empty when not found.
  std::string sName;
  DeviceOutcome outcome = DeviceOutcome::kNotSent;
  std::string sReason;  // why it was refused or not confirmed
};

// One line per device of the preview, in its order: not found, unchanged, or
// the outcome of its step in the run (step i is the preview's i-th device with
// changes); without a run those are "not sent".
std::vector<ReportLine> ReportLines(const PlanPreview& preview, const CPlanApplyDriver* pRun);
// Line *pLine takes the outcome of the run's step nStep.
void SettleLine(const CPlanApplyDriver& run, size_t nStep, ReportLine* pLine);

// A table "MAC Address  Name  Result" (names made safe for a terminal, a
// refusal as "refused: reason", likewise "not confirmed: reason") and a line
// counting each outcome.
std::string FormatReport(const std::vector<ReportLine>& lines);
// [{"mac":...,"name":...,"result":"confirmed"}, ...], "reason" where there is one.
DeviceJson ReportToJson(const std::vector<ReportLine>& lines);
// How many lines have that outcome.
size_t CountOutcome(const std::vector<ReportLine>& lines, DeviceOutcome outcome);

#endif
