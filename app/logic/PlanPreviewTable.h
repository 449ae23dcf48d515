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
  // The line above a plan file's preview.
  static std::string IntroText(const std::string& sFileName) {
    return sFileName + " against the devices listed now (nothing is sent until you apply it):";
  }
  // "3 devices to change, 1 unchanged, 1 not found".
  static std::string SummaryText(const PlanPreview& preview);
  // One line per address the plan would give to more than one device.
  static std::vector<std::string> SharedIPTexts(const PlanPreview& preview);
  // The summary with a warning per shared address and per address the rule refuses
  // (the first few of each) and, when the plan would give an address to more than
  // one device, that it cannot be applied.
  static std::string SummaryWithWarnings(const PlanPreview& preview);
  // "&Apply to 3 devices", or "&Apply" when nothing would change; with bAnyway,
  // for addresses the rule refuses, "&Send anyway to 3 devices".
  static std::string ApplyText(const PlanPreview& preview, bool bAnyway = false);
  // Why a plan file was refused, its first problems listed.
  static std::string RefusalText(const std::string& sFileName, const std::vector<std::string>& errors);
  // The first entry of the form's lists and the hint of its blank fields.
  static constexpr const char* kUnchanged = "(unchanged)";
  // "Net Mask" for "netmask": the list's column titles for the plan's fields.
  static std::string FieldTitle(const std::string& sField);
};

#endif
