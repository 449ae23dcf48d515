#ifndef KESTO_DISCOVERY_KESTORECORDRULES_H
#define KESTO_DISCOVERY_KESTORECORDRULES_H

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// What the record's type, protocol and baud fields mean: the codes, their
// texts and the rates the configuration dialog offers. Every front end and
// file form reads them from here.

// Type codes. A type-1 device is shown as such but is written back as Master.
constexpr int8_t kTypeSolvane = 1;
constexpr int8_t kTypeMaster = 2;
constexpr int8_t kTypeSlave = 3;
constexpr int8_t kTypeAprilaire = 4;
constexpr int8_t kTypePassthrough = 5;

// The codes the configuration dialog offers, in its order.
constexpr std::array<int8_t, 4> kDialogTypes = {kTypeMaster, kTypeSlave, kTypeAprilaire, kTypePassthrough};

// The configuration dialog's text for a type code, or empty for codes outside 1-5.
std::string_view TypeText(int iType);

// Protocol codes as the dialog writes them; a device may report any other
// code, which reads as RS485.
constexpr int16_t kProtocolRS232 = 0;
constexpr int16_t kProtocolRS485 = 1;

constexpr std::array<int16_t, 2> kDialogProtocols = {kProtocolRS232, kProtocolRS485};

// "RS232" for 0, else "RS485".
std::string_view ProtocolText(int16_t shProtocol);

// The rates the configuration dialog offers, in its order.
constexpr std::array<int32_t, 9> kDialogBaudRates = {115200, 57600, 38400, 19200, 9600, 4800, 1200, 600, 300};

// The rates joined by ", ", the last by sLastJoin (", " or " or ").
std::string BaudRatesText(std::string_view sLastJoin = ", ");

// The baud field holds the low 16 bits of the rate: 115200 travels as 49664.
constexpr uint16_t BaudToWire(int32_t iRate) { return static_cast<uint16_t>(iRate & 0xFFFF); }
// The rate a baud field stands for: 49664 is 115200, every other value itself.
constexpr int32_t BaudFromWire(uint16_t wBaudRate) {
  return wBaudRate == BaudToWire(kDialogBaudRates[0]) ? kDialogBaudRates[0] : wBaudRate;
}

#endif
