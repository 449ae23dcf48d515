#ifndef KESTO_TESTS_RECORDBUILDER_H
#define KESTO_TESTS_RECORDBUILDER_H

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "discovery/KestoRecord.h"
#include "discovery/KestoWire.h"

// A record for tests, distinguished by the last MAC byte(s).
inline KESTO_RECORD MakeRecord(uint32_t dwId, const std::string& name = "dev") {
  KESTO_RECORD record;
  record.dwIPAddress = 0x0A000000u | (dwId & 0xFFFFFFu);
  record.dwNetMask = 0xFFFFFF00u;
  const uint8_t mac[6] = {0x00, 0x1A, static_cast<uint8_t>(dwId >> 24), static_cast<uint8_t>(dwId >> 16),
                          static_cast<uint8_t>(dwId >> 8), static_cast<uint8_t>(dwId)};
  std::memcpy(record.byMAC, mac, 6);
  SetRecordName(record, name);
  record.iPort = 10000;
  std::memcpy(record.szVersion, "1.0", 3);
  record.cType = 2;
  record.wBaudRate = 9600;
  return record;
}

// A device record with a distinct MAC 00-1A-2B-3C-4D-byLast and readable fields: the
// window's tests show and edit these.
inline KESTO_RECORD MakeDeviceRecord(uint8_t byLast, const std::string& sName, uint32_t dwIP) {
  KESTO_RECORD record;
  record.dwIPAddress = dwIP;
  record.dwNetMask = 0xFFFFFF00u;
  record.dwGateway = (dwIP & 0xFFFFFF00u) | 1u;
  record.dwDNS = 0x08080808u;
  const uint8_t byMAC[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, byLast};
  std::memcpy(record.byMAC, byMAC, 6);
  SetRecordName(record, sName);
  record.iPort = 10000 + byLast;
  std::strncpy(record.szVersion, "FW 2.17", sizeof record.szVersion);
  record.cType = 5;
  record.shProtocol = 1;
  record.wBaudRate = 9600;
  return record;
}

// A record with the given name bytes (not NUL-ended when they fill the field) and version.
inline KESTO_RECORD NamedRecord(const char* pszName, size_t nNameBytes, const char* pszVersion = "1.0") {
  KESTO_RECORD record;
  record.dwIPAddress = 0x0ACA0107u;
  record.dwNetMask = 0xFFFFFF00u;
  record.dwGateway = 0x0ACA0101u;
  record.dwDNS = 0x09090909u;
  const uint8_t byMAC[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x0A};
  std::memcpy(record.byMAC, byMAC, 6);
  std::memcpy(record.szName, pszName, nNameBytes);
  record.iPort = 10000;
  std::memcpy(record.szVersion, pszVersion, std::min(std::strlen(pszVersion), sizeof record.szVersion));
  record.cType = 2;
  record.shProtocol = 0;
  record.wBaudRate = 9600;
  return record;
}

inline std::vector<uint8_t> RecordBytes(const KESTO_RECORD& record) {
  std::vector<uint8_t> bytes(kesto_wire::kRecordSize);
  kesto_wire::EncodeRecord(record, bytes.data());
  return bytes;
}

#endif
