#include "plan/PlanCells.h"

#include <algorithm>

#include "COMMON/ZNFail.h"
#include "discovery/KestoName.h"
#include "formats/DeviceJson.h"
#include "formats/HexText.h"
#include "formats/MacText.h"
#include "plan/SetRequest.h"

namespace {

constexpr const char* kSettingColumns[] = {"name", "ip", "netmask", "gateway", "dns", "type", "protocol", "baud"};
// What `kesto list` (and `kesto backup`) print about a device besides its settings.
constexpr const char* kReadOnlyColumns[] = {"port",      "version",   "type_name", "duplicate_ip",    "reachable",
                                            "reserved1", "reserved2", "senders",   "several_senders"};

// The list prints the type as its code; the options take the dialog's names.
std::string TypeOption(const std::string& sCell) {
  for (int8_t cType : kDialogTypes)
    if (sCell == std::to_string(cType)) return TypeOptionWord(cType);
  return sCell;
}

std::string ProtocolOption(const std::string& sCell) {
  for (int16_t shProtocol : kDialogProtocols)
    if (sCell == std::to_string(shProtocol)) return ProtocolOptionWord(shProtocol);
  return sCell;
}

// A whole decimal number from llMin to llMax, sign allowed.
bool ParseCode(const std::string& sCell, long long llMin, long long llMax, long long* pllValue) {
  size_t i = (sCell.size() > 1 && sCell[0] == '-') ? 1 : 0;
  if (sCell.size() <= i || sCell.size() > 7) return false;
  for (size_t j = i; j < sCell.size(); ++j)
    if (sCell[j] < '0' || sCell[j] > '9') return false;
  *pllValue = std::stoll(sCell);
  return *pllValue >= llMin && *pllValue <= llMax;
}

// Checks one of type, protocol or baud on its own: a dialog choice goes into
// the request; a bare code outside them goes in raw and is noted for the
// preview to refuse where it would change; anything else is an error.
bool ParseChoice(const std::string& sColumn, const std::string& sCell, PlanEntry* pEntry, std::string* psError) {
  SetOptionsText text;
  std::optional<std::string>* pText =
      sColumn == "type" ? &text.sType : sColumn == "protocol" ? &text.sProtocol : &text.sBaud;
  *pText = sColumn == "type" ? TypeOption(sCell) : sColumn == "protocol" ? ProtocolOption(sCell) : sCell;
  CKestoSettingsChange one;
  std::string sError;
  if (CSetRequest::Parse(text, &one, &sError)) {
    if (one.cType) pEntry->request.cType = one.cType;
    if (one.shProtocol) pEntry->request.shProtocol = one.shProtocol;
    if (one.wBaudRate) pEntry->request.wBaudRate = one.wBaudRate;
    return true;
  }
  long long llCode = 0;
  if (sColumn == "type" && ParseCode(sCell, -128, 127, &llCode)) pEntry->request.cType = static_cast<int8_t>(llCode);
  else if (sColumn == "protocol" && ParseCode(sCell, -32768, 32767, &llCode))
    pEntry->request.shProtocol = static_cast<int16_t>(llCode);
  else if (sColumn == "baud" && ParseCode(sCell, 0, 65535, &llCode))
    pEntry->request.wBaudRate = static_cast<uint16_t>(llCode);
  else return Fail(psError, sError);
  pEntry->outsideChoices.emplace_back(sColumn, sError);
  return true;
}

}  // namespace

PlanColumn ClassifyPlanColumn(std::string_view name) {
  if (name == "mac") return PlanColumn::kMac;
  auto is = [&](const char* psz) { return name == psz; };
  if (std::any_of(std::begin(kSettingColumns), std::end(kSettingColumns), is)) return PlanColumn::kSetting;
  if (std::any_of(std::begin(kReadOnlyColumns), std::end(kReadOnlyColumns), is)) return PlanColumn::kReadOnly;
  return PlanColumn::kUnknown;
}

bool PlanNameFromText(std::string_view text, std::string* psLatin1, std::string* psError) {
  std::string sError;
  if (!NameFromText(text, {}, psLatin1, &sError)) return Fail(psError, "name: \"" + std::string(text) + "\": " + sError);
  return true;
}

bool PlanEntryFromCells(const PlanCells& cells, PlanEntry* pEntry, std::string* psError) {
  PlanEntry entry;
  entry.nRow = pEntry->nRow;
  bool bMac = false;
  SetOptionsText text;
  std::optional<std::string> sName;
  for (const auto& [sColumn, sCell] : cells) {
    const PlanColumn column = ClassifyPlanColumn(sColumn);
    if (column == PlanColumn::kUnknown) return Fail(psError, "unknown column \"" + sColumn + "\"");
    if (column == PlanColumn::kReadOnly) continue;
    if (column == PlanColumn::kMac) {
      if (!ParseMAC(sCell, entry.mac.data()))
        return Fail(psError, "mac: \"" + sCell + "\" is not a MAC address such as 00-1A-2B-3C-4D-5E");
      bMac = true;
      continue;
    }
    if (sCell.empty()) continue;  // leave this setting as it is
    if (sColumn == "name") sName = sCell;
    else if (sColumn == "ip") text.sIPAddress = sCell;
    else if (sColumn == "netmask") text.sNetMask = sCell;
    else if (sColumn == "gateway") text.sGateway = sCell;
    else if (sColumn == "dns") text.sDNS = sCell;
    else if (!ParseChoice(sColumn, sCell, &entry, psError)) return false;  // type, protocol, baud
  }
  if (!bMac) return Fail(psError, "mac: missing; every row names its device");
  if (text.sIPAddress || text.sNetMask || text.sGateway || text.sDNS) {
    std::string sError;
    CKestoSettingsChange addresses;
    if (!CSetRequest::Parse(text, &addresses, &sError)) return Fail(psError, sError);
    entry.request.dwIPAddress = addresses.dwIPAddress;
    entry.request.dwNetMask = addresses.dwNetMask;
    entry.request.dwGateway = addresses.dwGateway;
    entry.request.dwDNS = addresses.dwDNS;
  }
  if (sName) {
    std::string sLatin1, sError;
    if (PlanNameFromText(*sName, &sLatin1, &sError)) {
      entry.request.sName = std::move(sLatin1);
    } else if (Utf8ToLatin1(*sName, &sLatin1) && sLatin1.find('\0') == std::string::npos &&
               sLatin1.size() <= sizeof(KESTO_RECORD::szName)) {
      // A full 28-byte field without its NUL, or control bytes, as some devices send: fine where it stays.
      entry.request.sName = std::move(sLatin1);
      entry.outsideChoices.emplace_back("name", sError);
    } else {
      return Fail(psError, sError);
    }
  }
  *pEntry = std::move(entry);
  return true;
}
