#include "plan/AddressField.h"

#include "COMMON/ZNFail.h"
#include "discovery/KestoRecord.h"

bool ParseAddressField(const std::optional<std::string>& text, std::string_view sLabel,
                       std::optional<uint32_t>* pdwValue, std::string* psError) {
  if (!text) return true;
  uint32_t dwValue = 0;
  if (!ParseAddress(*text, &dwValue))
    return Fail(psError, std::string(sLabel) + ": \"" + *text + "\" is not an address (four numbers 0-255)");
  *pdwValue = dwValue;
  return true;
}
