#ifndef KESTO_APP_LOGIC_DEVICEEXPORT_H
#define KESTO_APP_LOGIC_DEVICEEXPORT_H

#include <string>
#include <string_view>
#include <vector>

#include "formats/ListedDevice.h"

enum class ExportFormat { kCsv, kJson };

// ".csv" or ".json" at the end of a file name, in any case; false for anything else.
bool ExportFormatForPath(std::string_view path, ExportFormat* pFormat);

// The text of an export file: the same bytes `kesto list --csv` or `--json`
// prints for the same devices in the same order ("duplicate_ip" and
// "reachable": false in JSON only where flagged).
std::string ExportDevices(const std::vector<ListedDevice>& devices, ExportFormat format);

#endif
