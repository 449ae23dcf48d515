#ifndef KESTO_TOOLS_FORMATS_DEVICECSV_H
#define KESTO_TOOLS_FORMATS_DEVICECSV_H

#include <string>
#include <string_view>

#include "discovery/KestoRecord.h"

// The CSV form of the device list: one header line and one line per device, CRLF
// line ends, UTF-8 texts (record bytes taken as Latin-1, as in the JSON form).
// Columns: name,mac,ip,netmask,gateway,dns,port,version,type,type_name,protocol,baud,duplicate_ip.
std::string DeviceCsvHeader();
std::string DeviceToCsvRow(const KESTO_RECORD& record, bool bDuplicateIP);

// One field, quoted when it holds a comma, a quote, CR or LF, inner quotes doubled.
std::string CsvField(std::string_view text);

#endif
