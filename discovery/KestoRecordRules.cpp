#include "discovery/KestoRecordRules.h"

std::string_view TypeText(int iType) {
  switch (iType) {
    case kTypeSolvane: return "Solvane/Duravex";
    case kTypeMaster: return "Master";
    case kTypeSlave: return "Slave";
    case kTypeAprilaire: return "Aprilaire";
    case kTypePassthrough: return "Passthrough";
    default: return {};
  }
}

std::string_view ProtocolText(int16_t shProtocol) { return shProtocol == kProtocolRS232 ? "RS232" : "RS485"; }

std::string BaudRatesText(std::string_view sLastJoin) {
  std::string sText;
  for (size_t i = 0; i < kDialogBaudRates.size(); ++i) {
    if (i > 0) sText += i + 1 == kDialogBaudRates.size() ? sLastJoin : std::string_view(", ");
    sText += std::to_string(kDialogBaudRates[i]);
  }
  return sText;
}
