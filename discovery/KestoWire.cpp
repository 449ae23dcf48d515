#include "discovery/KestoWire.h"

#include <cstring>

#include "COMMON/ZNLittleEndian.h"

namespace kesto_wire {

void EncodeRecord(const KESTO_RECORD& record, uint8_t out[kRecordSize]) {
  zn_le::Put32(out + kOffIPAddress, record.dwIPAddress);
  zn_le::Put32(out + kOffNetMask, record.dwNetMask);
  zn_le::Put32(out + kOffGateway, record.dwGateway);
  zn_le::Put32(out + kOffDNS, record.dwDNS);
  std::memcpy(out + kOffMAC, record.byMAC, sizeof record.byMAC);
  std::memcpy(out + kOffName, record.szName, sizeof record.szName);
  zn_le::Put32(out + kOffPort, static_cast<uint32_t>(record.iPort));
  std::memcpy(out + kOffVersion, record.szVersion, sizeof record.szVersion);
  out[kOffType] = static_cast<uint8_t>(record.cType);
  out[kOffReserved1] = record.byReserved1;
  zn_le::Put16(out + kOffProtocol, static_cast<uint16_t>(record.shProtocol));
  zn_le::Put16(out + kOffBaudRate, record.wBaudRate);
  std::memcpy(out + kOffReserved2, record.byReserved2, sizeof record.byReserved2);
}

KESTO_RECORD DecodeRecord(const uint8_t in[kRecordSize]) {
  KESTO_RECORD record;
  record.dwIPAddress = zn_le::Get32(in + kOffIPAddress);
  record.dwNetMask = zn_le::Get32(in + kOffNetMask);
  record.dwGateway = zn_le::Get32(in + kOffGateway);
  record.dwDNS = zn_le::Get32(in + kOffDNS);
  std::memcpy(record.byMAC, in + kOffMAC, sizeof record.byMAC);
  std::memcpy(record.szName, in + kOffName, sizeof record.szName);
  record.iPort = static_cast<int32_t>(zn_le::Get32(in + kOffPort));
  std::memcpy(record.szVersion, in + kOffVersion, sizeof record.szVersion);
  record.cType = static_cast<int8_t>(in[kOffType]);
  record.byReserved1 = in[kOffReserved1];
  record.shProtocol = static_cast<int16_t>(zn_le::Get16(in + kOffProtocol));
  record.wBaudRate = zn_le::Get16(in + kOffBaudRate);
  std::memcpy(record.byReserved2, in + kOffReserved2, sizeof record.byReserved2);
  return record;
}

void EncodeDiscover(uint8_t out[kDiscoverSize]) {
  zn_le::Put32(out, KESTO_CMD_DISCOVER);
  zn_le::Put32(out + 4, 0);
}

void EncodeSetConfig(const KESTO_RECORD& record, uint8_t out[kSetConfigSize]) {
  zn_le::Put32(out, KESTO_CMD_SET_CONFIG);
  EncodeRecord(record, out + 4);
}

bool DecodeCommand(const uint8_t* pData, size_t nSize, uint32_t* pdwCommand) {
  if (nSize < 4) return false;
  *pdwCommand = zn_le::Get32(pData);
  return true;
}

}  // namespace kesto_wire
