#ifndef KESTO_FORMATS_DEVICEROWTEXTS_H
#define KESTO_FORMATS_DEVICEROWTEXTS_H

#include <array>
#include <string>

#include "discovery/KestoRecord.h"

// The five texts of one device-list row: name, MAC address, IP address, port, version,
// in UTF-8 (the device's texts with control characters escaped, see TerminalText).
using DeviceRowTexts = std::array<std::string, 5>;

// The five columns' titles, in the same order, for every list that shows them.
inline constexpr std::array<const char*, 5> kDeviceRowTitles{"Name", "MAC Address", "IP Address", "Port", "Version"};

// The row texts of a record, as the window's list and `kesto list` show them.
DeviceRowTexts RowTextsOf(const KESTO_RECORD& record);

#endif
