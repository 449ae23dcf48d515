#include "plan/SetRequest.h"

#include <algorithm>
#include <cctype>

#include "COMMON/ZNFail.h"
#include "discovery/KestoName.h"
#include "plan/AddressField.h"

namespace {

std::string Lower(std::string_view text) {
  std::string sText(text);
  std::transform(sText.begin(), sText.end(), sText.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return sText;
}

template <typename Codes, typename Word>
std::string Words(const Codes& codes, Word word, std::string_view sLastJoin) {
  std::string sText;
  for (size_t i = 0; i < codes.size(); ++i)
    sText += (i == 0 ? "" : i + 1 == codes.size() ? std::string(sLastJoin) : ", ") + word(codes[i]);
  return sText;
}

// The code whose word is the text typed, in any case.
template <typename Codes, typename Word, typename Code>
bool FindWord(const Codes& codes, Word word, const std::string& sText, std::optional<Code>* pCode) {
  const std::string sLower = Lower(sText);
  for (auto code : codes)
    if (word(code) == sLower) {
      *pCode = code;
      return true;
    }
  return false;
}

}  // namespace

std::string TypeOptionWord(int8_t cType) { return Lower(TypeText(cType)); }
std::string ProtocolOptionWord(int16_t shProtocol) { return Lower(ProtocolText(shProtocol)); }
std::string TypeOptionWords(std::string_view sLastJoin) { return Words(kDialogTypes, TypeOptionWord, sLastJoin); }
std::string ProtocolOptionWords(std::string_view sLastJoin) {
  return Words(kDialogProtocols, ProtocolOptionWord, sLastJoin);
}

bool CSetRequest::Parse(const SetOptionsText& text, CKestoSettingsChange* pChange, std::string* psError,
                        std::string* psField) {
  std::string sField;
  // Each error starts with the field's name, which is also returned apart.
  auto fail = [&](const char* pszField, const std::string& sText) {
    if (psField != nullptr) *psField = pszField;
    return Fail(psError, sText);
  };
  CKestoSettingsChange request;
  if (text.sName) {
    // A name given is a new one, so it must leave room for the NUL; one left out stays
    // byte for byte, a full 28-byte name included.
    std::string sBytes, sError;
    if (!NameFromText(*text.sName, {}, &sBytes, &sError)) return fail("name", "name: \"" + *text.sName + "\": " + sError);
    request.sName = std::move(sBytes);
  }
  static const struct {
    const char* pszField;
    std::optional<std::string> SetOptionsText::*pText;
    std::optional<uint32_t> CKestoSettingsChange::*pValue;
  } kAddresses[] = {{"ip", &SetOptionsText::sIPAddress, &CKestoSettingsChange::dwIPAddress},
                    {"netmask", &SetOptionsText::sNetMask, &CKestoSettingsChange::dwNetMask},
                    {"gateway", &SetOptionsText::sGateway, &CKestoSettingsChange::dwGateway},
                    {"dns", &SetOptionsText::sDNS, &CKestoSettingsChange::dwDNS}};
  for (const auto& address : kAddresses) {
    std::string sError;
    if (!ParseAddressField(text.*address.pText, address.pszField, &(request.*address.pValue), &sError))
      return fail(address.pszField, sError);
  }
  // The dialog's choices and the codes it hands back for them.
  if (text.sType && !FindWord(kDialogTypes, TypeOptionWord, *text.sType, &request.cType))
    return fail("type", "type: \"" + *text.sType + "\" is not one of " + TypeOptionWords(", "));
  if (text.sProtocol && !FindWord(kDialogProtocols, ProtocolOptionWord, *text.sProtocol, &request.shProtocol))
    return fail("protocol", "protocol: \"" + *text.sProtocol + "\" is not one of " + ProtocolOptionWords(", "));
  if (text.sBaud) {
    const auto found = std::find_if(kDialogBaudRates.begin(), kDialogBaudRates.end(),
                                    [&](int32_t iRate) { return std::to_string(iRate) == *text.sBaud; });
    if (found == kDialogBaudRates.end())
      return fail("baud", "baud: \"" + *text.sBaud + "\" is not one of " + BaudRatesText(", "));
    request.wBaudRate = BaudToWire(*found);
  }
  if (request.IsEmpty()) return fail("", "no setting given");
  *pChange = std::move(request);
  return true;
}
