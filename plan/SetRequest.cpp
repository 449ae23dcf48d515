#include "plan/SetRequest.h"

#include <algorithm>
#include <cctype>

#include "discovery/KestoName.h"

namespace {

std::string Lower(std::string sText) {
  std::transform(sText.begin(), sText.end(), sText.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return sText;
}

bool Fail(std::string* psError, const std::string& sMessage) {
  if (psError) *psError = sMessage;
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

bool SetRequest::Parse(const SetOptionsText& text, SetRequest* pRequest, std::string* psError) {
  SetRequest request;
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
  if (text.sType) {
    // The dialog's four choices and the codes it hands back for them.
    const std::string sType = Lower(*text.sType);
    if (sType == "master") request.cType = 2;
    else if (sType == "slave") request.cType = 3;
    else if (sType == "aprilaire") request.cType = 4;
    else if (sType == "passthrough") request.cType = 5;
    else return Fail(psError, "--type: \"" + *text.sType + "\" is not one of master, slave, aprilaire, passthrough");
  }
  if (text.sProtocol) {
    const std::string sProtocol = Lower(*text.sProtocol);
    if (sProtocol == "rs232") request.shProtocol = 0;
    else if (sProtocol == "rs485") request.shProtocol = 1;
    else return Fail(psError, "--protocol: \"" + *text.sProtocol + "\" is not one of rs232, rs485");
  }
  if (text.sBaud) {
    const auto found = std::find_if(kDialogBaudRates.begin(), kDialogBaudRates.end(),
                                    [&](int32_t iRate) { return std::to_string(iRate) == *text.sBaud; });
    if (found == kDialogBaudRates.end())
      return Fail(psError, "--baud: \"" + *text.sBaud +
                               "\" is not one of 115200, 57600, 38400, 19200, 9600, 4800, 1200, 600, 300");
    request.wBaudRate = static_cast<uint16_t>(*found & 0xFFFF);
  }
  if (!request.sName && !request.dwIPAddress && !request.dwNetMask && !request.dwGateway && !request.dwDNS &&
      !request.cType && !request.shProtocol && !request.wBaudRate)
    return Fail(psError,
                "no setting given: use --name, --ip, --netmask, --gateway, --dns, --type, --protocol or --baud");
  *pRequest = std::move(request);
  return true;
}

void SetRequest::ApplyTo(KESTO_RECORD& record) const {
  if (sName) SetRecordNameField(record, *sName);
  if (dwIPAddress) record.dwIPAddress = *dwIPAddress;
  if (dwNetMask) record.dwNetMask = *dwNetMask;
  if (dwGateway) record.dwGateway = *dwGateway;
  if (dwDNS) record.dwDNS = *dwDNS;
  if (cType) record.cType = *cType;
  if (shProtocol) record.shProtocol = *shProtocol;
  if (wBaudRate) record.wBaudRate = *wBaudRate;
}

bool SetRequest::IsAppliedIn(const KESTO_RECORD& record) const {
  return (!sName || RecordNameBytes(record) == *sName) &&
         (!dwIPAddress || record.dwIPAddress == *dwIPAddress) && (!dwNetMask || record.dwNetMask == *dwNetMask) &&
         (!dwGateway || record.dwGateway == *dwGateway) && (!dwDNS || record.dwDNS == *dwDNS) &&
         (!cType || record.cType == *cType) && (!shProtocol || record.shProtocol == *shProtocol) &&
         (!wBaudRate || record.wBaudRate == *wBaudRate);
}
