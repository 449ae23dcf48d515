#include "discovery/KestoWire.h"

#include <cstring>

namespace kesto_wire {

void EncodeRecord(const KESTO_RECORD& record, uint8_t out[kRecordSize]) {
  EncodeU32(out + kOffIPAddress, record.dwIPAddress);
  EncodeU32(out + kOffNetMask, record.dwNetMask);
  EncodeU32(out + kOffGateway, record.dwGateway);
  EncodeU32(out + kOffDNS, record.dwDNS);
  std::memcpy(out + kOffMAC, record.byMAC, sizeof record.byMAC);
  std::memcpy(out + kOffName, record.szName, sizeof record.szName);
  EncodeU32(out + kOffPort, static_cast<uint32_t>(record.iPort));
  std::memcpy(out + kOffVersion, record.szVersion, sizeof record.szVersion);
  out[kOffType] = static_cast<uint8_t>(record.cType);
  out[kOffReserved1] = record.byReserved1;
  EncodeU16(out + kOffProtocol, static_cast<uint16_t>(record.shProtocol));
  EncodeU16(out + kOffBaudRate, record.wBaudRate);
  std::memcpy(out + kOffReserved2, record.byReserved2, sizeof record.byReserved2);
}

KESTO_RECORD DecodeRecord(const uint8_t in[kRecordSize]) {
  KESTO_RECORD record;
  record.dwIPAddress = DecodeU32(in + kOffIPAddress);
  record.dwNetMask = DecodeU32(in + kOffNetMask);
  record.dwGateway = DecodeU32(in + kOffGateway);
  record.dwDNS = DecodeU32(in + kOffDNS);
  std::memcpy(record.byMAC, in + kOffMAC, sizeof record.byMAC);
  std::memcpy(record.szName, in + kOffName, sizeof record.szName);
  record.iPort = static_cast<int32_t>(DecodeU32(in + kOffPort));
  std::memcpy(record.szVersion, in + kOffVersion, sizeof record.szVersion);
  record.cType = static_cast<int8_t>(in[kOffType]);
  record.byReserved1 = in[kOffReserved1];
  record.shProtocol = static_cast<int16_t>(DecodeU16(in + kOffProtocol));
  record.wBaudRate = DecodeU16(in + kOffBaudRate);
  std::memcpy(record.byReserved2, in + kOffReserved2, sizeof record.byReserved2);
  return record;
}

void EncodeDiscover(uint8_t out[kDiscoverSize]) {
  EncodeU32(out, KESTO_CMD_DISCOVER);
  EncodeU32(out + 4, 0);
}

void EncodeSetConfig(const KESTO_RECORD& record, uint8_t out[kSetConfigSize]) {
  EncodeU32(out, KESTO_CMD_SET_CONFIG);
  EncodeRecord(record, out + 4);
}

bool DecodeCommand(const uint8_t* pData, size_t nSize, uint32_t* pdwCommand) {
  if (nSize < 4) return false;
  *pdwCommand = DecodeU32(pData);
  return true;
}

}  // namespace kesto_wire
