#ifndef KESTO_APP_WIN32_PLANLIST_H
#define KESTO_APP_WIN32_PLANLIST_H

#include <windows.h>

#include "plan/PlanPreview.h"

// A report list view showing a plan's preview as CPlanPreviewTable words it:
// name, MAC address and what would change, one row per planned device.
void SetUpPlanList(HWND hList);
void ShowPlanInList(HWND hList, const PlanPreview& preview);

#endif
