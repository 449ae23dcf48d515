#include "app/logic/DeviceColumnSet.h"

#include <array>

#include "discovery/KestoRecordRules.h"
#include "formats/DeviceRowTexts.h"
#include "formats/HexText.h"

namespace {

constexpr std::array<CDeviceColumnSet::Column, CDeviceColumnSet::kCount> kColumns{{
    {CDeviceColumnSet::kName, kDeviceRowTitles[0], 110, true, ""},
    {CDeviceColumnSet::kMAC, kDeviceRowTitles[1], 150, true, "DD-DD-DD-DD-DD-DD"},
    {CDeviceColumnSet::kIP, kDeviceRowTitles[2], 100, true, "255.255.255.255"},
    {CDeviceColumnSet::kPort, kDeviceRowTitles[3], 40, true, "10000"},
    {CDeviceColumnSet::kVersion, kDeviceRowTitles[4], 150, true, ""},
    {CDeviceColumnSet::kNetMask, "Net Mask", 100, false, "255.255.255.255"},
    {CDeviceColumnSet::kGateway, "Gateway", 100, false, "255.255.255.255"},
    {CDeviceColumnSet::kDNS, "DNS", 100, false, "255.255.255.255"},
    {CDeviceColumnSet::kType, "Type", 100, false, "Solvane/Duravex"},
    {CDeviceColumnSet::kProtocol, "Protocol", 60, false, "RS485"},
    {CDeviceColumnSet::kBaud, "Baud Rate", 70, false, "115200"},
    {CDeviceColumnSet::kLastSeen, "Last Seen", 70, false, "10.0 s"},
}};

// Signed values shifted so that their order survives the unsigned hex form.
std::string SignedKey(int32_t iValue) { return HexNumber(static_cast<uint32_t>(iValue) ^ 0x80000000u, 8); }

std::string TextKey(const std::string& sText) {
  std::string sKey = sText;
  for (char& c : sKey)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return sKey + '\0' + sText;
}

}  // namespace

const CDeviceColumnSet::Column& CDeviceColumnSet::Get(int iColumn) { return kColumns.at(static_cast<size_t>(iColumn)); }

uint32_t CDeviceColumnSet::BaudRateOf(uint16_t wBaudRate) {
  return static_cast<uint32_t>(BaudFromWire(wBaudRate));
}

std::string CDeviceColumnSet::AgeText(uint32_t dwAgeMs) {
  if (dwAgeMs < 10000) return std::to_string(dwAgeMs / 1000) + "." + std::to_string(dwAgeMs % 1000 / 100) + " s";
  if (dwAgeMs < 120000) return std::to_string(dwAgeMs / 1000) + " s";
  return std::to_string(dwAgeMs / 60000) + " min";
}

std::string CDeviceColumnSet::Text(int iColumn, const KESTO_RECORD& record, uint32_t dwAgeMs) {
  switch (Get(iColumn).id) {
    case kName:
      return FieldText(record.szName, sizeof record.szName);
    case kMAC:
      return FormatMAC(record.byMAC);
    case kIP:
      return FormatAddress(record.dwIPAddress);
    case kPort:
      return FormatPort(record.iPort);
    case kVersion:
      return FieldText(record.szVersion, sizeof record.szVersion);
    case kNetMask:
      return FormatAddress(record.dwNetMask);
    case kGateway:
      return FormatAddress(record.dwGateway);
    case kDNS:
      return FormatAddress(record.dwDNS);
    case kType: {
      const std::string_view text = TypeText(record.cType);
      return text.empty() ? "code " + std::to_string(record.cType) : std::string(text);
    }
    case kProtocol:
      return std::string(ProtocolText(record.shProtocol));
    case kBaud:
      return std::to_string(BaudRateOf(record.wBaudRate));
    case kLastSeen:
      return AgeText(dwAgeMs);
    case kCount:
      break;
  }
  return {};
}

std::string CDeviceColumnSet::SortKey(int iColumn, const KESTO_RECORD& record, uint32_t dwAgeMs) {
  switch (Get(iColumn).id) {
    case kName:
      return TextKey(FieldText(record.szName, sizeof record.szName));
    case kMAC:
      return HexNumber(MacKey(record.byMAC), 12);
    case kIP:
      return HexNumber(record.dwIPAddress, 8);
    case kPort:
      // "-" (0 or less) sorts before every port.
      return SignedKey(record.iPort > 0 ? record.iPort : 0);
    case kVersion:
      return TextKey(FieldText(record.szVersion, sizeof record.szVersion));
    case kNetMask:
      return HexNumber(record.dwNetMask, 8);
    case kGateway:
      return HexNumber(record.dwGateway, 8);
    case kDNS:
      return HexNumber(record.dwDNS, 8);
    case kType:
      return SignedKey(record.cType);
    case kProtocol:
      return record.shProtocol != kProtocolRS232 ? "1" : "0";
    case kBaud:
      return HexNumber(BaudRateOf(record.wBaudRate), 8);
    case kLastSeen:
      return HexNumber(dwAgeMs, 8);
    case kCount:
      break;
  }
  return {};
}
