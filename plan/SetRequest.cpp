#include "plan/SetRequest.h"

#include <algorithm>
#include <cctype>

#include "COMMON/ZNFail.h"
#include "discovery/KestoName.h"

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

bool ParseAddressOption(const std::optional<std::string>& sText, const char* pszOption,
                        std::optional<uint32_t>* pdwValue, std::string* psError) {
  if (!sText) return true;
  uint32_t dwValue = 0;
  if (!ParseAddress(*sText, &dwValue))
    return Fail(psError, std::string(pszOption) + ": \"" + *sText + "\" is not an address (four numbers 0-255)");
  *pdwValue = dwValue;
  return true;
}

}  // namespace

std::string TypeOptionWord(int8_t cType) { return Lower(TypeText(cType)); }
std::string ProtocolOptionWord(int16_t shProtocol) { return Lower(ProtocolText(shProtocol)); }
std::string TypeOptionWords(std::string_view sLastJoin) { return Words(kDialogTypes, TypeOptionWord, sLastJoin); }
std::string ProtocolOptionWords(std::string_view sLastJoin) {
  return Words(kDialogProtocols, ProtocolOptionWord, sLastJoin);
}

bool CSetRequest::Parse(const SetOptionsText& text, CKestoSettingsChange* pChange, std::string* psError) {
  CKestoSettingsChange request;
  if (text.sName) {
    // A name given is a new one, so it must leave room for the NUL; one left out stays
    // byte for byte, a full 28-byte name included.
    std::string sBytes, sError;
    if (!NameFromText(*text.sName, {}, &sBytes, &sError))
      return Fail(psError, "--name: \"" + *text.sName + "\": " + sError);
    request.sName = std::move(sBytes);
  }
  if (!ParseAddressOption(text.sIPAddress, "--ip", &request.dwIPAddress, psError) ||
      !ParseAddressOption(text.sNetMask, "--netmask", &request.dwNetMask, psError) ||
      !ParseAddressOption(text.sGateway, "--gateway", &request.dwGateway, psError) ||
      !ParseAddressOption(text.sDNS, "--dns", &request.dwDNS, psError))
    return false;
  // The dialog's choices and the codes it hands back for them.
  if (text.sType && !FindWord(kDialogTypes, TypeOptionWord, *text.sType, &request.cType))
    return Fail(psError, "--type: \"" + *text.sType + "\" is not one of " + TypeOptionWords(", "));
  if (text.sProtocol && !FindWord(kDialogProtocols, ProtocolOptionWord, *text.sProtocol, &request.shProtocol))
    return Fail(psError, "--protocol: \"" + *text.sProtocol + "\" is not one of " + ProtocolOptionWords(", "));
  if (text.sBaud) {
    const auto found = std::find_if(kDialogBaudRates.begin(), kDialogBaudRates.end(),
                                    [&](int32_t iRate) { return std::to_string(iRate) == *text.sBaud; });
    if (found == kDialogBaudRates.end())
      return Fail(psError, "--baud: \"" + *text.sBaud + "\" is not one of " + BaudRatesText(", "));
    request.wBaudRate = BaudToWire(*found);
  }
  if (request.IsEmpty())
    return Fail(psError,
                "no setting given: use --name, --ip, --netmask, --gateway, --dns, --type, --protocol or --baud");
  *pChange = std::move(request);
  return true;
}
