#ifndef KESTO_TOOLS_DEVICETABLE_H
#define KESTO_TOOLS_DEVICETABLE_H

#include <array>
#include <string>
#include <vector>

#include "discovery/KestoRecord.h"

// The device list's five column texts: Name, MAC Address, IP Address, Port, Version.
// Name and version come through TerminalText: UTF-8 without a control character.
std::array<std::string, 5> DeviceColumns(const KESTO_RECORD& record);

// A header line and one line per record, columns padded to their widest text
// (in characters shown, not bytes) and parted by two spaces; the last column is not padded.
std::string FormatDeviceTable(const std::vector<KESTO_RECORD>& records);

// The same with a last column "Note" holding vecNotes[i] for record i, added only
// when some note is not empty (so a list without remarks keeps its plain form).
std::string FormatDeviceTable(const std::vector<KESTO_RECORD>& records, const std::vector<std::string>& vecNotes);

// The note texts the list uses, joined by ", " when a device has both.
constexpr const char* kNoteDuplicateIP = "duplicate IP";
constexpr const char* kNoteOtherSubnet = "other subnet";

#endif
