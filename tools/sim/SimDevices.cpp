#include "tools/sim/SimDevices.h"

#include <cstdio>
#include <random>
#include <set>

#include "formats/DeviceJson.h"
#include "platform/WholeFile.h"
#include "discovery/KestoRecordRules.h"

std::vector<KESTO_RECORD> MakeSimDevices(int nCount, uint32_t dwSeed) {
  static const char* const kPlaces[] = {"Boiler Room", "Lobby", "Roof Unit", "Pump House", "Office", "Cellar",
                                        "Workshop", "Attic"};
  std::mt19937 random(dwSeed);
  std::vector<KESTO_RECORD> devices;
  devices.reserve(static_cast<size_t>(nCount));
  for (int i = 0; i < nCount; ++i) {
    const auto dwIndex = static_cast<uint32_t>(i);
    KESTO_RECORD record;
    const uint8_t byMAC[6] = {0x02, 0x4B, 0x53, static_cast<uint8_t>(dwIndex >> 16), static_cast<uint8_t>(dwIndex >> 8),
                              static_cast<uint8_t>(dwIndex)};
    std::copy(std::begin(byMAC), std::end(byMAC), record.byMAC);
    // 10.77.x.y: data only, nothing is ever sent there.
    record.dwIPAddress = 0x0A4D0000u | ((dwIndex / 250) & 0xFF) << 8 | (dwIndex % 250 + 1);
    record.dwNetMask = 0xFFFF0000u;
    record.dwGateway = 0x0A4D0001u;
    record.dwDNS = 0x0A4D0002u;
    char szName[40];
    std::snprintf(szName, sizeof szName, "%s %d", kPlaces[random() % 8], i + 1);
    SetRecordName(record, szName);
    const uint32_t dwPortChoice = random() % 10;
    record.iPort = dwPortChoice == 0 ? 0 : dwPortChoice == 1 ? -1 : static_cast<int32_t>(10000 + random() % 1000);
    // One draw per statement: the order of arguments' evaluation is not fixed.
    const uint32_t dwMajor = 1 + random() % 3;
    const uint32_t dwMinor = random() % 10;
    const uint32_t dwPatch = random() % 100;
    std::snprintf(record.szVersion, sizeof record.szVersion, "KST-%u.%u.%u", dwMajor, dwMinor, dwPatch);
    record.cType = static_cast<int8_t>(1 + random() % 5);
    record.shProtocol = static_cast<int16_t>(random() % 2);
    record.wBaudRate = BaudToWire(kDialogBaudRates[random() % kDialogBaudRates.size()]);
    record.byReserved1 = static_cast<uint8_t>(random());
    for (uint8_t& byByte : record.byReserved2) byByte = static_cast<uint8_t>(random());
    devices.push_back(record);
  }
  return devices;
}

namespace {

// The most keys one device object may hold: the form has 16 at most (those of
// `kesto list --json` and the three raw ones); this keeps a hostile file's objects small.
constexpr size_t kMaxKeysPerDevice = 64;

// Checks the shape before anything is built, so no file makes the parser nest
// or allocate without bound: an array (depth 1) of objects (depth 2) of plain
// values or flat lists of them, at most kMaxSimDevices devices of at most kMaxKeysPerDevice keys.
bool CheckShape(const std::string& sText, std::string* psError) {
  size_t nDepth = 0;  // how many brackets we are inside
  size_t nDevices = 0, nKeys = 0;
  bool bInString = false, bEscape = false, bEmpty = true;
  for (char c : sText) {
    if (bInString) {
      if (bEscape) bEscape = false;
      else if (c == '\\') bEscape = true;
      else if (c == '"') bInString = false;
      continue;
    }
    const bool bBlank = c == ' ' || c == '\t' || c == '\r' || c == '\n';
    if (!bBlank && nDepth == 0 && c != '[') {
      *psError = "not a JSON array of devices";
      return false;
    }
    if (!bBlank && c != ']' && nDepth == 1 && bEmpty) {
      bEmpty = false;
      nDevices = 1;
    }
    if (c == '"') {
      bInString = true;
    } else if (c == '[' || c == '{') {
      // A device's value may be one flat list (the "senders" that kesto list prints), no deeper.
      if (nDepth >= 3 || (nDepth == 2 && c == '{')) {
        *psError = "nesting deeper than an array of device objects";
        return false;
      }
      if (nDepth == 1 && c == '[') {
        *psError = "device " + std::to_string(nDevices) + ": a device must be a JSON object";
        return false;
      }
      if (nDepth < 2) nKeys = 0;
      ++nDepth;
    } else if (c == ']' || c == '}') {
      if (nDepth > 0) --nDepth;
    } else if (c == ',' && nDepth == 1 && ++nDevices > static_cast<size_t>(kMaxSimDevices)) {
      *psError = "more than " + std::to_string(kMaxSimDevices) + " devices";
      return false;
    } else if (c == ':' && nDepth == 2 && ++nKeys > kMaxKeysPerDevice) {
      *psError = "device " + std::to_string(nDevices) + ": more than " + std::to_string(kMaxKeysPerDevice) + " keys";
      return false;
    }
  }
  return true;
}

// The whole file, if it is a file or a pipe and holds at most kMaxSimFileBytes; else why not.
bool ReadDeviceFile(const std::string& sPath, std::string* psText, std::string* psError) {
  std::string sReason;
  switch (platform::ReadWholeFile(sPath, kMaxSimFileBytes, nullptr, psText, &sReason)) {
    case platform::FileReadResult::kRead: return true;
    case platform::FileReadResult::kTooLarge:
      *psError = "larger than " + std::to_string(kMaxSimFileBytes >> 20) + " MiB";
      return false;
    case platform::FileReadResult::kStopped:
    case platform::FileReadResult::kFailed: break;
  }
  *psError = "cannot be read: " + sReason;
  return false;
}

}  // namespace

bool LoadSimDevices(const std::string& sPath, std::vector<KESTO_RECORD>* pDevices, std::string* psError) {
  std::string sText, sError;
  if (!ReadDeviceFile(sPath, &sText, &sError) || !CheckShape(sText, &sError)) {
    *psError = sPath + ": " + sError;
    return false;
  }
  DeviceJson array;
  try {
    array = DeviceJson::parse(sText);
  } catch (const DeviceJson::exception& e) {
    *psError = sPath + ": not valid JSON: " + e.what();
    return false;
  }
  if (!array.is_array()) {
    *psError = sPath + ": not a JSON array of devices";
    return false;
  }
  std::vector<KESTO_RECORD> devices;
  std::set<std::string> macs;
  for (size_t i = 0; i < array.size(); ++i) {
    KESTO_RECORD record;
    if (!DeviceFromJson(array[i], &record, &sError)) {
      *psError = sPath + ": device " + std::to_string(i + 1) + ": " + sError;
      return false;
    }
    if (!macs.insert(FormatMAC(record.byMAC)).second) {
      *psError = sPath + ": device " + std::to_string(i + 1) + ": MAC " + FormatMAC(record.byMAC) + " given twice";
      return false;
    }
    devices.push_back(record);
  }
  *pDevices = std::move(devices);
  return true;
}
