#include "app/logic/PlanPreviewTable.h"

#include "formats/TerminalText.h"

std::string CPlanPreviewTable::FieldTitle(const std::string& sField) {
  if (sField == "name") return "Name";
  if (sField == "ip") return "IP";
  if (sField == "netmask") return "Net Mask";
  if (sField == "gateway") return "Gateway";
  if (sField == "dns") return "DNS";
  if (sField == "type") return "Type";
  if (sField == "protocol") return "Protocol";
  if (sField == "baud") return "Baud Rate";
  return sField;
}

std::vector<CPlanPreviewTable::Row> CPlanPreviewTable::Rows(const PlanPreview& preview) {
  std::vector<Row> rows;
  rows.reserve(preview.devices.size());
  for (const PreviewDevice& device : preview.devices) {
    Row row;
    row.sMAC = FormatMAC(device.mac.data());
    if (!device.bFound) {
      row.sChanges = "not found (no answer)";
      rows.push_back(std::move(row));
      continue;
    }
    row.sName = TerminalText(FieldText(device.current.szName, sizeof device.current.szName));
    row.bChanges = device.HasChanges();
    if (!row.bChanges) row.sChanges = "unchanged";
    for (const FieldChange& change : device.changes) {
      const bool bName = change.sField == "name";
      const std::string sOld = bName ? "\"" + TerminalText(change.sOld) + "\"" : change.sOld;
      const std::string sNew = bName ? "\"" + TerminalText(change.sNew) + "\"" : change.sNew;
      row.sChanges += (row.sChanges.empty() ? "" : ", ") + FieldTitle(change.sField) + " " + sOld + " -> " + sNew;
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string CPlanPreviewTable::SummaryText(const PlanPreview& preview) {
  const size_t nChanged = preview.CountChanged(), nNotFound = preview.CountNotFound();
  const size_t nUnchanged = preview.devices.size() - nChanged - nNotFound;
  std::string sText = nChanged == 0 ? std::string("Nothing to change")
                                    : std::to_string(nChanged) + (nChanged == 1 ? " device" : " devices") + " to change";
  if (nUnchanged > 0) sText += ", " + std::to_string(nUnchanged) + " unchanged";
  if (nNotFound > 0) sText += ", " + std::to_string(nNotFound) + " not found";
  return sText;
}

std::vector<std::string> CPlanPreviewTable::SharedIPTexts(const PlanPreview& preview) {
  std::vector<std::string> lines;
  for (const PlanPreview::SharedIP& shared : preview.shared) {
    std::string sLine = FormatAddress(shared.dwIP) + " would be held by";
    for (size_t i = 0; i < shared.macs.size(); ++i) sLine += (i > 0 ? ", " : " ") + FormatMAC(shared.macs[i].data());
    lines.push_back(std::move(sLine));
  }
  return lines;
}

std::string CPlanPreviewTable::SummaryWithWarnings(const PlanPreview& preview) {
  // Lines of each kind named before "and N more".
  constexpr size_t kShown = 5;
  std::string sText = SummaryText(preview) + ".";
  auto warn = [&sText](const std::vector<std::string>& lines, const char* pszMore) {
    for (size_t i = 0; i < lines.size() && i < kShown; ++i) sText += "\nWarning: " + lines[i];
    if (lines.size() > kShown) sText += "\n(and " + std::to_string(lines.size() - kShown) + " more " + pszMore + ")";
  };
  warn(SharedIPTexts(preview), "shared addresses");
  warn(preview.AddressProblems(), "address problems");
  if (PlanMakesSharedIP(preview))
    sText += "\nThe plan would give an address to more than one device: it cannot be applied.";
  return sText;
}

std::string CPlanPreviewTable::ApplyText(const PlanPreview& preview, bool bAnyway) {
  const size_t nChanged = preview.CountChanged();
  const std::string sVerb = bAnyway ? "&Send anyway" : "&Apply";
  if (nChanged == 0) return sVerb;
  return sVerb + " to " + std::to_string(nChanged) + (nChanged == 1 ? " device" : " devices");
}

std::string CPlanPreviewTable::RefusalText(const std::string& sFileName, const std::vector<std::string>& errors) {
  constexpr size_t kErrorsShown = 12;
  std::string sText = "The plan " + sFileName + " was refused; nothing was sent:\n";
  for (size_t i = 0; i < errors.size() && i < kErrorsShown; ++i) sText += "\n" + errors[i];
  if (errors.size() > kErrorsShown) sText += "\n(and " + std::to_string(errors.size() - kErrorsShown) + " more problems)";
  return sText;
}
