#ifndef KESTO_FORMATS_SERIALLINETEXT_H
#define KESTO_FORMATS_SERIALLINETEXT_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "discovery/KestoRecord.h"
#include "platform/TcpStream.h"

// The words of a serial line's session, the same in `kesto connect` and the window's terminal.

// "Name (MAC)", the name made safe to show.
std::string SerialDeviceText(const KESTO_RECORD& device);
// Why a device with this port has no line to connect to; empty when it has one.
std::string NoSerialPortText(const KESTO_RECORD& device);
// Why the connection to the device's line was not made.
std::string ConnectFailureText(const KESTO_RECORD& device, platform::TcpConnectError error, int iTimeoutMs,
                               const std::string& sError);
// A device that closes its line this soon after the connection, before sending
// anything, turned us away: its port serves one client and has one already.
constexpr uint32_t kSerialBusyCloseMs = 500;
std::string SerialBusyText(const KESTO_RECORD& device);

// One line of a session's log: the UTC time with milliseconds, the direction
// ('>' to the device, '<' from it), the byte count and the bytes in hex.
std::string SerialLogLine(const std::string& sTime, char cDirection, const uint8_t* pData, size_t nSize);
// Now, as SerialLogLine takes it.
std::string SerialLogTimeNow();

#endif
