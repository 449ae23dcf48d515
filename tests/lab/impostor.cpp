// Test helper: a host answering for another device's MAC from several source ports
// of its own, and taking the settings sent to that MAC as its own.
//   impostor --mac MAC --ip ADDR --ports N --seconds S
// Listens on port 1444; every discovery request is answered from each of N sockets
// (each its own source port) with a record of that MAC and address; a
// set-configuration datagram for that MAC replaces the record. It answers only the
// requester, runs at most S seconds and logs "listening", then one line per set.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "discovery/KestoWire.h"
#include "formats/MacText.h"
#include "platform/TickCount.h"
#include "platform/UdpSocket.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: impostor --mac MAC --ip ADDR --ports N --seconds S\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string sMAC, sIP;
  long lPorts = 0, lSeconds = 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string sName = argv[i], sValue = argv[i + 1];
    if (sName == "--mac") sMAC = sValue;
    else if (sName == "--ip") sIP = sValue;
    else if (sName == "--ports") lPorts = std::strtol(sValue.c_str(), nullptr, 10);
    else if (sName == "--seconds") lSeconds = std::strtol(sValue.c_str(), nullptr, 10);
    else return Usage();
  }
  KESTO_RECORD record;
  if (argc % 2 != 1 || !ParseMAC(sMAC, record.byMAC) || !ParseAddress(sIP, &record.dwIPAddress) || lPorts < 1 ||
      lPorts > 64 || lSeconds < 1 || lSeconds > 600)
    return Usage();
  record.dwNetMask = 0xFFFFFF00u;
  SetRecordName(record, "Impostor");

  std::string sError;
  platform::UdpSocketOptions listen;
  listen.bBroadcast = false;
  listen.bBind = true;
  listen.endpBind = {0, KESTO_UDP_PORT};
  auto pListen = platform::OpenUdpSocket(listen, &sError);
  std::vector<std::unique_ptr<platform::DatagramSocket>> answerers;
  for (long i = 0; pListen && i < lPorts; ++i) {
    platform::UdpSocketOptions options;
    options.bBroadcast = false;
    answerers.push_back(platform::OpenUdpSocket(options, &sError));
    if (!answerers.back()) pListen.reset();
  }
  if (!pListen) {
    std::fprintf(stderr, "impostor: cannot open its sockets: %s\n", sError.c_str());
    return 1;
  }
  std::printf("impostor: listening with %ld ports\n", lPorts);
  std::fflush(stdout);

  const uint32_t dwStart = platform::GetTickCount32();
  uint8_t byBuffer[2048];
  while (platform::GetTickCount32() - dwStart < static_cast<uint32_t>(lSeconds) * 1000u) {
    if (!pListen->WaitReadable(100)) continue;
    platform::Ipv4Endpoint from;
    const long lLength = pListen->ReceiveFrom(byBuffer, sizeof byBuffer, &from);
    uint32_t dwCommand = 0;
    if (lLength < 0 || !kesto_wire::DecodeCommand(byBuffer, static_cast<size_t>(lLength), &dwCommand)) continue;
    if (dwCommand == KESTO_CMD_DISCOVER && static_cast<size_t>(lLength) == kesto_wire::kDiscoverSize) {
      uint8_t byRecord[kesto_wire::kRecordSize];
      kesto_wire::EncodeRecord(record, byRecord);
      for (auto& pSocket : answerers) pSocket->SendTo(byRecord, sizeof byRecord, from);
    } else if (dwCommand == KESTO_CMD_SET_CONFIG && static_cast<size_t>(lLength) == kesto_wire::kSetConfigSize) {
      const KESTO_RECORD sent = kesto_wire::DecodeRecord(byBuffer + 4);
      if (MacKey(sent.byMAC) != MacKey(record.byMAC)) continue;
      record = sent;
      std::printf("set %s taken\n", FormatMAC(record.byMAC).c_str());
      std::fflush(stdout);
    }
  }
  return 0;
}
