#include "tools/DeviceTable.h"

#include <algorithm>

#include "formats/DeviceRowTexts.h"
#include "formats/TerminalText.h"

std::string FormatDeviceTable(const std::vector<KESTO_RECORD>& records) { return FormatDeviceTable(records, {}); }

std::string FormatDeviceTable(const std::vector<KESTO_RECORD>& records, const std::vector<std::string>& vecNotes) {
  const bool bNotes = std::any_of(vecNotes.begin(), vecNotes.end(), [](const std::string& s) { return !s.empty(); });
  std::vector<std::vector<std::string>> rows;
  rows.emplace_back(kDeviceRowTitles.begin(), kDeviceRowTitles.end());
  if (bNotes) rows.back().push_back("Note");
  for (size_t i = 0; i < records.size(); ++i) {
    const auto columns = RowTextsOf(records[i]);
    rows.emplace_back(columns.begin(), columns.end());
    if (bNotes) rows.back().push_back(i < vecNotes.size() ? vecNotes[i] : std::string());
  }
  std::vector<size_t> widths(rows.front().size(), 0);
  for (const auto& row : rows)
    for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], DisplayWidth(row[i]));
  std::string sTable;
  for (const auto& row : rows) {
    std::string sLine;
    size_t nTextEnd = 0;
    for (size_t i = 0; i < row.size(); ++i) {
      sLine += row[i];
      if (!row[i].empty()) nTextEnd = sLine.size();
      if (i + 1 < row.size()) sLine += std::string(widths[i] - DisplayWidth(row[i]) + 2, ' ');
    }
    // Padding behind blank trailing columns is cut; spaces inside a text stay.
    sLine.resize(nTextEnd);
    sTable += sLine + "\n";
  }
  return sTable;
}
