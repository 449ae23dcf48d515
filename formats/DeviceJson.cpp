#include "formats/DeviceJson.h"

#include <cstring>
#include <limits>

#include "COMMON/ZNFail.h"
#include "formats/HexText.h"
#include "formats/MacText.h"

DeviceJson DeviceToJson(const KESTO_RECORD& record) {
  DeviceJson object = DeviceJson::object();
  object["name"] = Latin1ToUtf8(FieldText(record.szName, sizeof record.szName));
  object["mac"] = FormatMAC(record.byMAC);
  object["ip"] = FormatAddress(record.dwIPAddress);
  object["netmask"] = FormatAddress(record.dwNetMask);
  object["gateway"] = FormatAddress(record.dwGateway);
  object["dns"] = FormatAddress(record.dwDNS);
  object["port"] = record.iPort;
  object["version"] = Latin1ToUtf8(FieldText(record.szVersion, sizeof record.szVersion));
  object["type"] = static_cast<int>(record.cType);
  const std::string_view typeName = TypeText(record.cType);
  object["type_name"] = typeName.empty() ? DeviceJson(nullptr) : DeviceJson(std::string(typeName));
  object["protocol"] = std::string(ProtocolText(record.shProtocol));
  object["baud"] = BaudFromWire(record.wBaudRate);
  return object;
}

DeviceJson DeviceToJson(const KESTO_RECORD& record, bool bDuplicateIP) {
  DeviceJson object = DeviceToJson(record);
  if (bDuplicateIP) object["duplicate_ip"] = true;
  return object;
}

std::string AsciiJson(const DeviceJson& value, int iIndent) {
  return value.dump(iIndent, ' ', true, DeviceJson::error_handler_t::replace);
}

namespace {

bool ReadText(const DeviceJson& object, const char* pszKey, char* pField, size_t nSize, std::string* psError) {
  if (!object.contains(pszKey)) return true;
  const DeviceJson& value = object[pszKey];
  std::string sBytes;
  if (!value.is_string() || !Utf8ToLatin1(value.get<std::string>(), &sBytes))
    return Fail(psError, std::string("\"") + pszKey + "\" must be a text of 8-bit characters");
  // A full field without a NUL is allowed: devices send such names.
  if (sBytes.size() > nSize)
    return Fail(psError, std::string("\"") + pszKey + "\" is longer than " + std::to_string(nSize) + " bytes");
  std::memset(pField, 0, nSize);
  std::memcpy(pField, sBytes.data(), sBytes.size());
  return true;
}

bool ReadAddress(const DeviceJson& object, const char* pszKey, uint32_t* pdwAddress, std::string* psError) {
  if (!object.contains(pszKey)) return true;
  const DeviceJson& value = object[pszKey];
  if (!value.is_string() || !ParseAddress(value.get<std::string>(), pdwAddress))
    return Fail(psError, std::string("\"") + pszKey + "\" must be a dotted address such as \"192.168.1.10\"");
  return true;
}

bool ReadInteger(const DeviceJson& object, const char* pszKey, long long llMin, long long llMax, long long* pllValue,
                 std::string* psError) {
  const DeviceJson& value = object[pszKey];
  // An unsigned number above the signed range must not wrap round into it (2^64 - 1 is not -1).
  const bool bInRange = value.is_number_unsigned()
                            ? value.get<unsigned long long>() <= static_cast<unsigned long long>(llMax)
                            : value.is_number_integer() && value.get<long long>() >= llMin &&
                                  value.get<long long>() <= llMax;
  if (!bInRange)
    return Fail(psError, std::string("\"") + pszKey + "\" must be a whole number from " + std::to_string(llMin) +
                             " to " + std::to_string(llMax));
  *pllValue = value.get<long long>();
  return true;
}

}  // namespace

bool DeviceFromJson(const DeviceJson& object, KESTO_RECORD* pRecord, std::string* psError) {
  if (!object.is_object()) return Fail(psError, "a device must be a JSON object");
  KESTO_RECORD record;
  if (!object.contains("mac") || !object["mac"].is_string() ||
      !ParseMAC(object["mac"].get<std::string>(), record.byMAC))
    return Fail(psError, "\"mac\" must be given as \"00-1A-2B-3C-4D-5E\"");
  if (!ReadText(object, "name", record.szName, sizeof record.szName, psError) ||
      !ReadText(object, "version", record.szVersion, sizeof record.szVersion, psError) ||
      !ReadAddress(object, "ip", &record.dwIPAddress, psError) ||
      !ReadAddress(object, "netmask", &record.dwNetMask, psError) ||
      !ReadAddress(object, "gateway", &record.dwGateway, psError) ||
      !ReadAddress(object, "dns", &record.dwDNS, psError))
    return false;
  long long llValue = 0;
  if (object.contains("port")) {
    if (!ReadInteger(object, "port", std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(),
                     &llValue, psError))
      return false;
    record.iPort = static_cast<int32_t>(llValue);
  }
  if (object.contains("type")) {
    if (!ReadInteger(object, "type", -128, 127, &llValue, psError)) return false;
    record.cType = static_cast<int8_t>(llValue);
  }
  if (object.contains("protocol")) {
    const DeviceJson& value = object["protocol"];
    if (value == ProtocolText(kProtocolRS232)) {
      record.shProtocol = kProtocolRS232;
    } else if (value == ProtocolText(kProtocolRS485)) {
      record.shProtocol = kProtocolRS485;
    } else {
      if (!ReadInteger(object, "protocol", -32768, 32767, &llValue, psError)) return false;
      record.shProtocol = static_cast<int16_t>(llValue);
    }
  }
  if (object.contains("baud")) {
    // The one offered rate above 16 bits is read as the rate, the rest as the field holds them.
    if (object["baud"].is_number_integer() && object["baud"] == kDialogBaudRates[0]) {
      record.wBaudRate = BaudToWire(kDialogBaudRates[0]);
    } else {
      if (!ReadInteger(object, "baud", 0, 65535, &llValue, psError)) return false;
      record.wBaudRate = static_cast<uint16_t>(llValue);
    }
  }
  if (object.contains("reserved1")) {
    if (!ReadInteger(object, "reserved1", 0, 255, &llValue, psError)) return false;
    record.byReserved1 = static_cast<uint8_t>(llValue);
  }
  if (object.contains("reserved2")) {
    const DeviceJson& value = object["reserved2"];
    const std::string sHex = value.is_string() ? value.get<std::string>() : std::string();
    bool bValid = sHex.size() == 8;
    for (size_t i = 0; bValid && i < 4; ++i) {
      const int iHigh = HexDigitValue(sHex[2 * i]);
      const int iLow = HexDigitValue(sHex[2 * i + 1]);
      bValid = iHigh >= 0 && iLow >= 0;
      if (bValid) record.byReserved2[i] = static_cast<uint8_t>(iHigh << 4 | iLow);
    }
    if (!bValid) return Fail(psError, "\"reserved2\" must be eight hex digits");
  }
  *pRecord = record;
  return true;
}
