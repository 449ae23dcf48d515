#ifndef KESTO_DISCOVERY_KESTOWIRE_H
#define KESTO_DISCOVERY_KESTOWIRE_H

#include <cstddef>
#include <cstdint>

#include "discovery/KestoRecord.h"

// Byte layout of the record and the three datagrams. All integers little-endian;
// the addresses are stored as their host-order value, so 192.168.1.10 is 0A 01 A8 C0.
namespace kesto_wire {

constexpr size_t kOffIPAddress = 0;
constexpr size_t kOffNetMask = 4;
constexpr size_t kOffGateway = 8;
constexpr size_t kOffDNS = 12;
constexpr size_t kOffMAC = 16;
constexpr size_t kOffName = 22;
constexpr size_t kOffPort = 50;  // not 4-aligned: always copied byte by byte
constexpr size_t kOffVersion = 54;
constexpr size_t kOffType = 90;
constexpr size_t kOffReserved1 = 91;
constexpr size_t kOffProtocol = 92;
constexpr size_t kOffBaudRate = 94;
constexpr size_t kOffReserved2 = 96;
constexpr size_t kRecordSize = 100;

constexpr size_t kDiscoverSize = 8;                     // u32 4, u32 0
constexpr size_t kSetConfigSize = 4 + kRecordSize;      // u32 7, then the record

static_assert(kOffReserved2 + sizeof(KESTO_RECORD::byReserved2) == kRecordSize);
static_assert(kOffVersion + sizeof(KESTO_RECORD::szVersion) == kOffType);
static_assert(kOffName + sizeof(KESTO_RECORD::szName) == kOffPort);

void EncodeRecord(const KESTO_RECORD& record, uint8_t out[kRecordSize]);
KESTO_RECORD DecodeRecord(const uint8_t in[kRecordSize]);

void EncodeDiscover(uint8_t out[kDiscoverSize]);
void EncodeSetConfig(const KESTO_RECORD& record, uint8_t out[kSetConfigSize]);

// The command word at the front of a request datagram; false when it is shorter than 4 bytes.
bool DecodeCommand(const uint8_t* pData, size_t nSize, uint32_t* pdwCommand);

}  // namespace kesto_wire

#endif
