#include "tools/DeviceTable.h"

#include <algorithm>

std::array<std::string, 5> DeviceColumns(const KESTO_RECORD& record) {
  return {FieldText(record.szName, sizeof record.szName), FormatMAC(record.byMAC), FormatAddress(record.dwIPAddress),
          FormatPort(record.iPort), FieldText(record.szVersion, sizeof record.szVersion)};
}

std::string FormatDeviceTable(const std::vector<KESTO_RECORD>& records) {
  std::vector<std::array<std::string, 5>> rows;
  rows.push_back({"Name", "MAC Address", "IP Address", "Port", "Version"});
  for (const KESTO_RECORD& record : records) rows.push_back(DeviceColumns(record));
  std::array<size_t, 5> widths{};
  for (const auto& row : rows)
    for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
  std::string sTable;
  for (const auto& row : rows) {
    std::string sLine;
    size_t nTextEnd = 0;
    for (size_t i = 0; i < row.size(); ++i) {
      sLine += row[i];
      if (!row[i].empty()) nTextEnd = sLine.size();
      if (i + 1 < row.size()) sLine += std::string(widths[i] - row[i].size() + 2, ' ');
    }
    // Padding behind blank trailing columns is cut; spaces inside a text stay.
    sLine.resize(nTextEnd);
    sTable += sLine + "\n";
  }
  return sTable;
}
