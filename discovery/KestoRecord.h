#ifndef KESTO_DISCOVERY_KESTORECORD_H
#define KESTO_DISCOVERY_KESTORECORD_H

#include <cstdint>
#include <string>
#include <string_view>

// Protocol constants of the Kesto discovery protocol.
constexpr uint16_t KESTO_UDP_PORT = 1444;
constexpr uint32_t KESTO_CMD_DISCOVER = 4;
constexpr uint32_t KESTO_CMD_SET_CONFIG = 7;
constexpr uint32_t PROBE_INTERVAL_MS = 1000;
constexpr uint32_t AGE_LIMIT_MS = 2000;

// One device's identity and settings, decoded from its 100 wire bytes
// (see KestoWire.h for the byte layout). Every byte of the wire form has a
// field here, so decode and encode are exact inverses.
struct KESTO_RECORD {
  uint32_t dwIPAddress = 0;  // a.b.c.d as (a << 24) | (b << 16) | (c << 8) | d
  uint32_t dwNetMask = 0;
  uint32_t dwGateway = 0;
  uint32_t dwDNS = 0;
  uint8_t byMAC[6] = {};
  char szName[28] = {};
  int32_t iPort = 0;  // 0 or negative: none
  char szVersion[36] = {};
  int8_t cType = 0;
  uint8_t byReserved1 = 0;
  int16_t shProtocol = 0;  // 0 RS232, anything else RS485 (codes and texts: KestoRecordRules.h)
  uint16_t wBaudRate = 0;  // bit/s, low 16 bits (115200 travels as 49664)
  uint8_t byReserved2[4] = {};

  bool operator==(const KESTO_RECORD&) const = default;
};

// The longest name the 28-byte field holds with its terminating NUL.
constexpr size_t KESTO_NAME_MAX = sizeof(KESTO_RECORD::szName) - 1;

// Writes a name into szName only: clears its 28 bytes, then copies at most 27
// characters, so the neighbouring iPort is never touched.
void SetRecordName(KESTO_RECORD& record, std::string_view name);

// The text of a fixed text field: bytes up to the first NUL, or the whole field.
std::string FieldText(const char* pField, size_t nSize);

// "%d.%d.%d.%d", high byte first.
std::string FormatAddress(uint32_t dwAddress);

// Reads exactly four decimal numbers 0-255 joined by dots (at most three digits
// each); anything else is refused and *pdwAddress is left alone.
bool ParseAddress(std::string_view text, uint32_t* pdwAddress);

// "%02X-%02X-%02X-%02X-%02X-%02X".
std::string FormatMAC(const uint8_t byMAC[6]);

// The six MAC bytes as one number, first byte highest: a key for hash maps.
inline uint64_t MacKey(const uint8_t byMAC[6]) {
  uint64_t key = 0;
  for (int i = 0; i < 6; ++i) key = (key << 8) | byMAC[i];
  return key;
}

// The device's configuration page, http://a.b.c.d/config.htm.
std::string ConfigPageUrl(uint32_t dwIPAddress);

// The device-list text of a port: the number when 1 or more, else "-".
std::string FormatPort(int32_t iPort);

#endif
