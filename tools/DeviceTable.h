#ifndef KESTO_TOOLS_DEVICETABLE_H
#define KESTO_TOOLS_DEVICETABLE_H

#include <string>
#include <vector>

#include "discovery/KestoRecord.h"

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
