#ifndef KESTO_APP_LOGIC_PLANPREVIEWTABLE_H
#define KESTO_APP_LOGIC_PLANPREVIEWTABLE_H

#include <string>
#include <vector>

#include "plan/PlanPreview.h"

// A plan's preview as the window shows it: one row per planned device with
// its name, MAC and what would change ("IP 10.0.0.5 -> 10.1.0.10"), and a
// line that sums it up. Device texts are escaped as the list escapes them.
class CPlanPreviewTable {
 public:
  struct Row {
    std::string sName;
    std::string sMAC;
    std::string sChanges;  // "unchanged", "not found (no answer)", or the changes
    bool bChanges = false;
  };

  static std::vector<Row> Rows(const PlanPreview& preview);
  // "3 devices to change, 1 unchanged, 1 not found".
  static std::string SummaryText(const PlanPreview& preview);
  // One line per address the plan would give to more than one device.
  static std::vector<std::string> SharedIPTexts(const PlanPreview& preview);
  // "Net Mask" for "netmask": the list's column titles for the plan's fields.
  static std::string FieldTitle(const std::string& sField);
};

#endif
