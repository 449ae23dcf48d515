#include "tools/formats/DeviceCsv.h"

#include <vector>

#include "tools/formats/DeviceJson.h"

namespace {

constexpr const char* kLineEnd = "\r\n";

std::string JoinRow(const std::vector<std::string>& fields) {
  std::string sLine;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) sLine += ',';
    sLine += CsvField(fields[i]);
  }
  return sLine + kLineEnd;
}

}  // namespace

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string sQuoted = "\"";
  for (char c : text) {
    if (c == '"') sQuoted += '"';
    sQuoted += c;
  }
  return sQuoted + "\"";
}

std::string DeviceCsvHeader() {
  return JoinRow({"name", "mac", "ip", "netmask", "gateway", "dns", "port", "version", "type", "type_name",
                  "protocol", "baud", "duplicate_ip"});
}

std::string DeviceToCsvRow(const KESTO_RECORD& record, bool bDuplicateIP) {
  return JoinRow({Latin1ToUtf8(FieldText(record.szName, sizeof record.szName)), FormatMAC(record.byMAC),
                  FormatAddress(record.dwIPAddress), FormatAddress(record.dwNetMask), FormatAddress(record.dwGateway),
                  FormatAddress(record.dwDNS), std::to_string(record.iPort),
                  Latin1ToUtf8(FieldText(record.szVersion, sizeof record.szVersion)),
                  std::to_string(static_cast<int>(record.cType)), std::string(TypeText(record.cType)),
                  ProtocolText(record.shProtocol), std::to_string(BaudFromWire(record.wBaudRate)),
                  bDuplicateIP ? "true" : "false"});
}
