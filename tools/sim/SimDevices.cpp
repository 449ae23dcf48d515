#include "tools/sim/SimDevices.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <set>

#include "tools/formats/DeviceJson.h"
#include "tools/SetRequest.h"

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
    record.wBaudRate = static_cast<uint16_t>(kDialogBaudRates[random() % kDialogBaudRates.size()] & 0xFFFF);
    record.byReserved1 = static_cast<uint8_t>(random());
    for (uint8_t& byByte : record.byReserved2) byByte = static_cast<uint8_t>(random());
    devices.push_back(record);
  }
  return devices;
}

bool LoadSimDevices(const std::string& sPath, std::vector<KESTO_RECORD>* pDevices, std::string* psError) {
  std::ifstream file(sPath);
  if (!file) {
    *psError = sPath + ": cannot be read";
    return false;
  }
  DeviceJson array = DeviceJson::parse(file, nullptr, false);
  if (array.is_discarded() || !array.is_array()) {
    *psError = sPath + ": not a JSON array of devices";
    return false;
  }
  std::vector<KESTO_RECORD> devices;
  std::set<std::string> macs;
  for (size_t i = 0; i < array.size(); ++i) {
    KESTO_RECORD record;
    std::string sError;
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
