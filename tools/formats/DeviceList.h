#ifndef KESTO_TOOLS_FORMATS_DEVICELIST_H
#define KESTO_TOOLS_FORMATS_DEVICELIST_H

#include <string>
#include <vector>

#include "tools/formats/ListedDevice.h"

// A whole list in the forms `kesto list --csv` and `--json` print and the
// desktop program exports: the header and one row per device, or one JSON
// array (indented by two, with a final newline) with "duplicate_ip" and
// "reachable": false where they hold. The JSON is ASCII only (every other
// character as \u00XX), so no byte of it can steer a terminal.
// bForTerminal: for a terminal, with the device's texts escaped as TerminalText does.
std::string DevicesToCsv(const std::vector<ListedDevice>& devices, bool bForTerminal = false);
std::string DevicesToJson(const std::vector<ListedDevice>& devices);

#endif
