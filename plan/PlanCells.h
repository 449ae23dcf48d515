#ifndef KESTO_PLAN_PLANCELLS_H
#define KESTO_PLAN_PLANCELLS_H

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "plan/DevicePlan.h"

// What a plan's column means: the MAC that names the device, a setting, or a
// text the list prints about the device that is never written (accepted and
// ignored, so `kesto list` output can be edited into a plan).
enum class PlanColumn { kMac, kSetting, kReadOnly, kUnknown };
PlanColumn ClassifyPlanColumn(std::string_view name);

// One row of a plan as (column, cell text) pairs, texts in UTF-8.
using PlanCells = std::vector<std::pair<std::string, std::string>>;

// Checks one row into an entry: "mac" is required, an empty cell leaves that
// setting as it is, type takes 2-5 or a name, protocol RS232/RS485 (or 0/1),
// baud one of the dialog's rates (other bare codes are noted in
// outsideChoices), the name must be Latin-1 without NUL and at most 27 bytes
// (a 28-byte full field, or control characters, as a device may hold them, are
// noted in outsideChoices: kept, never given). False with a message naming the
// column on the first bad cell.
bool PlanEntryFromCells(const PlanCells& cells, PlanEntry* pEntry, std::string* psError);

// The name rule (NameFromText) for a name a plan gives, its error naming the column.
bool PlanNameFromText(std::string_view text, std::string* psLatin1, std::string* psError);

#endif
