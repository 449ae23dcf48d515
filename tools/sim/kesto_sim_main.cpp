// kesto-sim: answers Kesto discovery requests for any number of made-up
// devices, so the tools can be tried and tested without hardware.
#include <algorithm>
#include <csignal>
#include <cstdint>
#include <exception>
#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "platform/SocketLayer.h"
#include "platform/UdpSocket.h"
#include "tools/DecimalOption.h"
#include "tools/sim/DeviceSimulator.h"
#include "tools/sim/SimDevices.h"
#include "tools/sim/SimSerialLines.h"
#include "version/KestoVersion.h"

namespace {

volatile std::sig_atomic_t g_bStop = 0;

void OnStopSignal(int) { g_bStop = 1; }

int Run(int argc, char** argv) {
  CLI::App app{"kesto-sim: a simulator of Kesto devices"};
  app.footer("Prints \"kesto-sim: listening on ADDR:PORT, N devices\" first, then one line per datagram it gets.\n"
             "Numbers are decimal: 010 is 10; 0x50, 1e3 and +5 are refused.\n"
             "Exit codes: 0 stopped by a signal; 1 the socket could not be opened or another failure; 2 bad options "
             "or device file.");
  app.set_version_flag("--version", std::string("kesto-sim ") + GetKestoVersion());
  int nCount = 5;
  std::string sBind = "0.0.0.0";
  int iPort = KESTO_UDP_PORT;
  uint32_t dwSeed = 1;
  std::string sFrom;
  SimulatorOptions options;
  AddDecimalOption(&app, "--count", &nCount, 0, kMaxSimDevices, "Number of made-up devices (default 5)");
  app.add_option("--bind", sBind, "Address to listen on (default 0.0.0.0)");
  AddDecimalOption(&app, "--port", &iPort, 0, 65535, "UDP port to listen on; 0 picks a free one (default 1444)");
  AddDecimalOption(&app, "--seed", &dwSeed, 0, UINT32_MAX, "Seed for the made-up devices and the losses (default 1)");
  app.add_option("--from", sFrom,
                 "JSON file with an array of devices (the form of kesto list --json; at most 65535 devices, 16 MiB)")
      ->excludes("--count");
  app.add_flag("--junk", options.bJunk, "Also send 0, 99, 101 and 1500-byte datagrams with every answer");
  app.add_option_function<std::string>(
         "--drop",
         [&options](const std::string& sText) {
           std::string sError;
           if (!ParseDecimalFraction(sText, &options.dDrop, &sError)) throw CLI::ValidationError("--drop", sError);
         },
         "Fraction of answers to lose, 0 to 1")
      ->type_name("FRACTION");
  app.add_flag("--ignore-set", options.bIgnoreSet, "Log set-configuration datagrams without applying them");
  app.add_flag("--burst", options.bBurst,
               "Send all answers to a request back to back, as many real devices do (default: runs of 128, "
               "1 ms apart)");
  CLI::Option* pRate = AddDecimalOption(
      &app, "--per-source-rate", &options.dwPerSourceRate, 0, 100000000,
      "Most answers a second to any one source address, so a forged request cannot aim a flood at someone; "
      "0 = no bound (default: 1000, or the number of devices when more: one full answer a second)");
  bool bSerial = false;
  std::string sSerialAddress = "127.0.0.1";
  std::string sSerialReply;
  CLI::Option* pSerial = app.add_flag(
      "--serial", bSerial,
      "Play each device's serial line too (the first 256): a TCP port per device at --serial-address that echoes "
      "what it gets, one client at a time; the records give that address and port");
  app.add_option("--serial-address", sSerialAddress,
                 "Address the serial lines listen at and the devices give as theirs (default 127.0.0.1)")
      ->needs(pSerial);
  app.add_option("--serial-reply", sSerialReply, "Answer each line with this text and CR LF instead of echoing")
      ->needs(pSerial);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }
  options.dwSeed = dwSeed;

  platform::UdpSocketOptions socketOptions;
  socketOptions.bBroadcast = false;
  socketOptions.bBind = true;
  if (!ParseAddress(sBind, &socketOptions.endpBind.dwAddress)) {
    std::cerr << "kesto-sim: --bind: \"" << sBind << "\" is not an address (four numbers 0-255)\n";
    return 2;
  }
  socketOptions.endpBind.wPort = static_cast<uint16_t>(iPort);
  socketOptions.iReceiveBufferBytes = 1 << 20;

  std::vector<KESTO_RECORD> devices;
  std::string sError;
  if (!sFrom.empty()) {
    if (!LoadSimDevices(sFrom, &devices, &sError)) {
      std::cerr << "kesto-sim: --from: " << sError << "\n";
      return 2;
    }
  } else {
    devices = MakeSimDevices(nCount, dwSeed);
  }

  uint32_t dwSerialAddress = 0;
  if (bSerial && !ParseAddress(sSerialAddress, &dwSerialAddress)) {
    std::cerr << "kesto-sim: --serial-address: \"" << sSerialAddress << "\" is not an address (four numbers 0-255)\n";
    return 2;
  }

  if (!platform::StartSocketLayer()) {
    std::cerr << "kesto-sim: the socket layer cannot be started\n";
    return 1;
  }
  CSimSerialLines serialLines(sSerialReply, std::cout);
  if (bSerial && !serialLines.Open(dwSerialAddress, !sFrom.empty(), &devices, &sError)) {
    std::cerr << "kesto-sim: --serial: " << sError << "\n";
    return 1;
  }
  auto pSocket = platform::OpenUdpSocket(socketOptions, &sError);
  platform::Ipv4Endpoint local;
  if (!pSocket || !pSocket->GetLocalEndpoint(&local)) {
    std::cerr << "kesto-sim: cannot listen on " << sBind << ":" << iPort << ": " << sError << "\n";
    return 1;
  }
  // By default a client may hear every device once a second; a forged source gets no more than that.
  if (pRate->count() == 0 && devices.size() > options.dwPerSourceRate)
    options.dwPerSourceRate = static_cast<uint32_t>(devices.size());
  if (options.dwPerSourceRate > 0 && devices.size() > options.dwPerSourceRate)
    std::cerr << "kesto-sim: note: " << devices.size() << " devices but --per-source-rate " << options.dwPerSourceRate
              << ": a client gets at most that many answers a second\n";
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
  std::cout << "kesto-sim: listening on " << FormatAddress(local.dwAddress) << ":" << local.wPort << ", "
            << devices.size() << " devices" << std::endl;
  if (bSerial) {
    std::cout << "kesto-sim: serial lines at " << sSerialAddress << " for the first "
              << std::min(devices.size(), CSimSerialLines::kMaxLines) << " devices" << std::endl;
    serialLines.Start(&g_bStop);
  }
  CDeviceSimulator simulator(std::move(devices), options, *pSocket, std::cout);
  simulator.Run(&g_bStop);
  std::cout << "kesto-sim: stopped" << std::endl;
  pSocket.reset();
  platform::StopSocketLayer();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Nothing may end the program unexplained: whatever escapes is reported and fails.
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "kesto-sim: " << e.what() << "\n";
  } catch (...) {
    std::cerr << "kesto-sim: unexpected failure\n";
  }
  return 1;
}
