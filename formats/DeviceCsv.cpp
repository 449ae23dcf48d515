#include "formats/DeviceCsv.h"

#include <vector>

#include "formats/DeviceJson.h"
#include "formats/TerminalText.h"

namespace {

constexpr const char* kLineEnd = "\r\n";

// The cells come quoted already, so each can be guarded as its kind needs.
std::string JoinRow(const std::vector<std::string>& cells) {
  std::string sLine;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) sLine += ',';
    sLine += cells[i];
  }
  return sLine + kLineEnd;
}

}  // namespace

std::string DeviceCsvHeader() {
  return "name,mac,ip,netmask,gateway,dns,port,version,type,type_name,protocol,baud,duplicate_ip" +
         std::string(kLineEnd);
}

std::string DeviceToCsvRow(const KESTO_RECORD& record, bool bDuplicateIP, bool bForTerminal) {
  auto text = [bForTerminal](const char* pField, size_t nSize) {
    return bForTerminal ? TerminalText(FieldText(pField, nSize)) : Latin1ToUtf8(FieldText(pField, nSize));
  };
  // Only the device's own texts can start with a formula character that means one:
  // numbers stay numbers (a port of -1 is no formula), the rest are our texts.
  return JoinRow({CsvTextField(text(record.szName, sizeof record.szName)),
                  CsvField(FormatMAC(record.byMAC)), CsvField(FormatAddress(record.dwIPAddress)),
                  CsvField(FormatAddress(record.dwNetMask)), CsvField(FormatAddress(record.dwGateway)),
                  CsvField(FormatAddress(record.dwDNS)), CsvField(std::to_string(record.iPort)),
                  CsvTextField(text(record.szVersion, sizeof record.szVersion)),
                  CsvField(std::to_string(static_cast<int>(record.cType))), CsvField(TypeText(record.cType)),
                  CsvField(ProtocolText(record.shProtocol)), CsvField(std::to_string(BaudFromWire(record.wBaudRate))),
                  CsvField(bDuplicateIP ? "true" : "false")});
}
