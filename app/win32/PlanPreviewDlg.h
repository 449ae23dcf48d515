#ifndef KESTO_APP_WIN32_PLANPREVIEWDLG_H
#define KESTO_APP_WIN32_PLANPREVIEWDLG_H

#include <windows.h>

#include <functional>
#include <string>

#include "plan/PlanPreview.h"

// "Apply plan" (dialog 140): what the plan in sFileName would change on each
// listed device, summed up with its warnings, and "Apply to N devices", run in
// the program's loop so the list keeps being polled; true when applied.
bool ConfirmPlan(HWND hOwner, const std::string& sFileName, const PlanPreview& preview,
                 const std::function<void()>& fnPass, const std::function<void(int)>& fnPause);

#endif
