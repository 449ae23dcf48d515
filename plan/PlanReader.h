#ifndef KESTO_PLAN_PLANREADER_H
#define KESTO_PLAN_PLANREADER_H

#include <string>
#include <string_view>
#include <vector>

#include "plan/DevicePlan.h"

// Reads a plan: the CSV `kesto list --csv` prints (header line first) or the JSON
// array `kesto list --json` prints, told apart by the first character ('[' or
// '{' is JSON). What the list prints besides settings (senders, port, ...) is
// taken and ignored; a column or key given twice is refused. Checks every row,
// then the plan as a whole: no MAC twice, at most kMaxPlanRows rows and
// kMaxPlanBytes bytes, at least one device; addresses shared are judged by the
// preview against the devices (PlanMakesSharedIP). Every check is linear in the
// text. Returns false with every problem found, each naming its row, and leaves
// *pPlan alone.
bool ReadPlan(std::string_view text, DevicePlan* pPlan, std::vector<std::string>* pErrors);

// The whole-plan checks alone (duplicate MACs; with bSharedIPs also one address
// for two devices), for plans built some other way. Appends to *pErrors.
void CheckPlan(const DevicePlan& plan, bool bSharedIPs, std::vector<std::string>* pErrors);

#endif
