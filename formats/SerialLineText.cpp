#include "formats/SerialLineText.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "discovery/KestoInfo.h"
#include "formats/HexText.h"
#include "formats/TerminalText.h"

namespace {

std::string Where(const KESTO_RECORD& device) {
  return FormatAddress(device.dwIPAddress) + ":" + std::to_string(device.iPort);
}

}  // namespace

std::string SerialDeviceText(const KESTO_RECORD& device) {
  return TerminalText(CKestoInfo(device).GetName()) + " (" + FormatMAC(device.byMAC) + ")";
}

std::string NoSerialPortText(const KESTO_RECORD& device) {
  if (device.iPort > 0 && device.iPort <= 65535) return {};
  return SerialDeviceText(device) + " has no serial port (port " + std::to_string(device.iPort) +
         "): give it one on its web page";
}

std::string ConnectFailureText(const KESTO_RECORD& device, platform::TcpConnectError error, int iTimeoutMs,
                               const std::string& sError) {
  const std::string sWho = SerialDeviceText(device);
  switch (error) {
    case platform::TcpConnectError::kRefused:
      return sWho + " refused the connection to " + Where(device) +
             ": nothing listens on that port (is its pass-through on?)";
    case platform::TcpConnectError::kTimedOut:
      return sWho + " at " + Where(device) + " did not answer the connection within " + std::to_string(iTimeoutMs) +
             " ms";
    case platform::TcpConnectError::kUnreachable:
      return sWho + " at " + Where(device) + " cannot be reached from this computer (another subnet?): " + sError;
    default:
      return "cannot connect to " + sWho + " at " + Where(device) + ": " + sError;
  }
}

std::string SerialBusyText(const KESTO_RECORD& device) {
  return SerialDeviceText(device) + " closed the connection at once: its port is busy with another client";
}

std::string SerialLogLine(const std::string& sTime, char cDirection, const uint8_t* pData, size_t nSize) {
  std::string sLine = sTime + " " + cDirection + " " + std::to_string(nSize) + ":";
  for (size_t i = 0; i < nSize; ++i) {
    sLine += ' ';
    sLine += HexBytes(pData + i, 1);
  }
  sLine += '\n';
  return sLine;
}

std::string SerialLogTimeNow() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t t = system_clock::to_time_t(now);
  const int iMs = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  char szText[32] = {};
  if (const std::tm* pUtc = std::gmtime(&t)) std::strftime(szText, sizeof szText, "%Y-%m-%dT%H:%M:%S", pUtc);
  char szMs[8];
  std::snprintf(szMs, sizeof szMs, ".%03dZ", iMs);
  return std::string(szText) + szMs;
}
