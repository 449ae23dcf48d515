#ifndef KESTO_TESTS_APP_APPTESTRECORDS_H
#define KESTO_TESTS_APP_APPTESTRECORDS_H

#include <cstring>
#include <string>

#include "discovery/KestoRecord.h"
#include "support/RecordBuilder.h"  // RecordBytes: the answer datagram of a record

// A device record with a distinct MAC ending in byLast and readable fields.
inline KESTO_RECORD MakeRecord(uint8_t byLast, const std::string& sName, uint32_t dwIP) {
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

#endif
