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

// Writes a file the user chose in a save dialog (an export or a backup): a new
// temporary beside it, never opened through a link, flushed and renamed over the
// path (platform::WriteWholeFile). The dialog has asked whether to replace an
// existing file, so this replaces it. False with the reason ("No such file or directory").
bool WriteChosenFile(const std::string& sPath, const std::string& sText, std::string* psReason);

#endif
