#ifndef KESTO_FORMATS_DEVICEJSON_H
#define KESTO_FORMATS_DEVICEJSON_H

#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "discovery/KestoName.h"
#include "discovery/KestoRecord.h"
#include "discovery/KestoRecordRules.h"

// The JSON form of a device record that `kesto list --json` prints and
// `kesto-sim --from` reads. Keys keep the order in which they are written.
using DeviceJson = nlohmann::ordered_json;

// Record texts are 8-bit; JSON wants UTF-8, so every byte is taken as the
// Latin-1 character of the same number and comes back unchanged (KestoName.h).

// The keys name, mac, ip, netmask, gateway, dns, port, version, type,
// type_name (null outside 1-5), protocol ("RS232" for 0, else "RS485") and baud.
DeviceJson DeviceToJson(const KESTO_RECORD& record);
// The same, ending with "duplicate_ip": true when another device reports the same IP
// (the key is left out otherwise, so unflagged objects keep their plain form).
DeviceJson DeviceToJson(const KESTO_RECORD& record, bool bDuplicateIP);

// The text of JSON the tools print or write (iIndent -1: one line): ASCII only,
// every other character as \uXXXX, so no byte of a device's text (0x9B is CSI)
// can steer a terminal; a byte that is not UTF-8 becomes U+FFFD.
std::string AsciiJson(const DeviceJson& value, int iIndent);

// Builds a record from that form. "mac" is required; missing fields are zero.
// Beyond the printed form it also takes a numeric "protocol" (the raw code),
// "reserved1" (0-255) and "reserved2" (eight hex digits), so a file can
// describe every byte of a record. type_name is ignored.
bool DeviceFromJson(const DeviceJson& object, KESTO_RECORD* pRecord, std::string* psError);

#endif
