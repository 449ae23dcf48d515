#ifndef KESTO_FORMATS_DEVICECSV_H
#define KESTO_FORMATS_DEVICECSV_H

#include <string>

#include "discovery/KestoRecord.h"
#include "formats/CsvText.h"

// The CSV form of the device list: one header line and one line per device, CRLF
// line ends, UTF-8 texts (record bytes taken as Latin-1, as in the JSON form).
// The name and version cells are guarded against formulas (CsvTextField).
// Columns: name,mac,ip,netmask,gateway,dns,port,version,type,type_name,protocol,baud,duplicate_ip.
std::string DeviceCsvHeader();
// bForTerminal: the same cells, but name and version as TerminalText shows them,
// for a CSV printed to a terminal rather than stored.
std::string DeviceToCsvRow(const KESTO_RECORD& record, bool bDuplicateIP, bool bForTerminal = false);

#endif
