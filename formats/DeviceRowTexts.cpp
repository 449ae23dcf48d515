#include "formats/DeviceRowTexts.h"

#include "formats/TerminalText.h"

DeviceRowTexts RowTextsOf(const KESTO_RECORD& record) {
  return {TerminalText(FieldText(record.szName, sizeof record.szName)), FormatMAC(record.byMAC),
          FormatAddress(record.dwIPAddress), FormatPort(record.iPort),
          TerminalText(FieldText(record.szVersion, sizeof record.szVersion))};
}
