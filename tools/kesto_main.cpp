// kesto: finds Kesto devices on the local network, lists and watches them,
// changes their settings and opens their web page.
#include <csignal>
#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "platform/SocketLayer.h"
#include "platform/Terminal.h"
#include "tools/ExitCodes.h"
#include "tools/ListCommand.h"
#include "tools/OpenCommand.h"
#include "tools/SetCommand.h"
#include "tools/WatchCommand.h"

namespace {

volatile std::sig_atomic_t g_bStop = 0;

void OnStopSignal(int) { g_bStop = 1; }

void AddTargetOptions(CLI::App* pCommand, TargetOptions* pTarget) {
  pCommand->add_option("--broadcast", pTarget->sBroadcast, "Address the requests go to (dotted, no host names)")
      ->default_str(pTarget->sBroadcast);
  pCommand->add_option("--port", pTarget->iPort, "UDP port of the devices")->default_str(std::to_string(pTarget->iPort));
  pCommand->add_option("--interface", pTarget->vecInterfaces,
                       "Broadcast only on this adapter (repeatable); default: 255.255.255.255 and every adapter")
      ->allow_extra_args(false);
  pCommand->add_option("--target", pTarget->vecTargets,
                       "Also ask A.B.C.D or every host of A.B.C.D/20..32 by unicast (repeatable; at most 4096 "
                       "addresses, 1000 a second)")
      ->allow_extra_args(false);
  pCommand->add_flag("--no-broadcast", pTarget->bNoBroadcast, "Send only to the --target addresses");
}

// Maps a bounded wait option; CLI11 refuses values outside it as bad input.
CLI::Option* AddWaitOption(CLI::App* pCommand, const char* pszName, int* piValue, const char* pszHelp) {
  return pCommand->add_option(pszName, *piValue, pszHelp)->check(CLI::Range(0, 24 * 3600 * 1000));
}

struct SetOptionBinding {
  CLI::Option* pOption;
  std::string sValue;
};

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"kesto: find Kesto devices on the local network and change their settings"};
  app.footer(kExitCodeHelp);
  app.require_subcommand(1);

  ListOptions listOptions;
  CLI::App* pList = app.add_subcommand("list", "List the devices that answer within the wait");
  pList->footer(kExitCodeHelp);
  CLI::Option* pListWait = AddWaitOption(pList, "--wait", &listOptions.iWaitMs,
                                         "How long to collect answers, in ms (default 1500, plus the --target sweep)");
  CLI::Option* pJson = pList->add_flag("--json", listOptions.bJson, "Print one JSON array of device objects");
  pList->add_flag("--csv", listOptions.bCsv, "Print CSV: a header line and one line per device")->excludes(pJson);
  AddTargetOptions(pList, &listOptions.target);

  WatchOptions watchOptions;
  CLI::App* pWatch = app.add_subcommand("watch", "Print devices as they are added, changed or removed");
  pWatch->footer(kExitCodeHelp);
  AddWaitOption(pWatch, "--duration", &watchOptions.iDurationMs, "How long to watch, in ms (default: until Ctrl-C)");
  pWatch->add_flag("--json", watchOptions.bJson, "Print JSON lines {\"event\":...,\"device\":{...}}");
  CLI::Option* pAgeLimit = pWatch->add_option("--age-limit", watchOptions.iAgeLimitMs,
                     "Report a device removed after this many ms of silence (default 2500: one lost answer is "
                     "ridden out)")
      ->check(CLI::Range(static_cast<int>(AGE_LIMIT_MS), 3600 * 1000));
  AddTargetOptions(pWatch, &watchOptions.target);

  SetOptions setOptions;
  SetOptionBinding name, ip, netmask, gateway, dns, type, protocol, baud;
  CLI::App* pSet = app.add_subcommand(
      "set",
      "Change a device's settings and confirm them: sent by broadcast and to every address the MAC answered "
      "from; confirmed only when each of those addresses answers with the new values");
  pSet->footer(kExitCodeHelp);
  pSet->add_option("MAC", setOptions.sMAC, "The device, as 00-1A-2B-3C-4D-5E (':' and lower case also taken)")
      ->required();
  name.pOption =
      pSet->add_option("--name", name.sValue, "Device name: Latin-1 characters only, at most 27 (as stored bytes)");
  ip.pOption = pSet->add_option("--ip", ip.sValue, "IP address a.b.c.d");
  netmask.pOption = pSet->add_option("--netmask", netmask.sValue, "Net mask a.b.c.d");
  gateway.pOption = pSet->add_option("--gateway", gateway.sValue, "Gateway a.b.c.d");
  dns.pOption = pSet->add_option("--dns", dns.sValue, "DNS server a.b.c.d");
  type.pOption = pSet->add_option("--type", type.sValue, "master, slave, aprilaire or passthrough");
  protocol.pOption = pSet->add_option("--protocol", protocol.sValue, "Pass-through protocol: rs232 or rs485");
  baud.pOption = pSet->add_option("--baud", baud.sValue,
                                  "Pass-through rate: 115200, 57600, 38400, 19200, 9600, 4800, 1200, 600 or 300");
  CLI::Option* pSetWait =
      AddWaitOption(pSet, "--wait", &setOptions.iWaitMs,
                    "Bound in ms for finding the device and, again, for the confirmation (default 3000, plus the "
                    "--target sweep)");
  pSet->add_flag("--no-verify", setOptions.bNoVerify, "Send once and do not wait for the new values");
  AddTargetOptions(pSet, &setOptions.target);

  OpenOptions openOptions;
  CLI::App* pOpen = app.add_subcommand("open", "Open the device's web page in the browser");
  pOpen->footer(kExitCodeHelp);
  pOpen->add_option("MAC", openOptions.sMAC, "The device, as 00-1A-2B-3C-4D-5E")->required();
  pOpen->add_flag("--print", openOptions.bPrint, "Print the address instead of opening it");
  CLI::Option* pOpenWait = AddWaitOption(pOpen, "--wait", &openOptions.iWaitMs,
                                         "Bound in ms for finding the device (default 3000, plus the --target sweep)");
  AddTargetOptions(pOpen, &openOptions.target);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int iCode = app.exit(e);
    return iCode == 0 ? kExitOk : kExitBadInput;
  }

  if (!platform::StartSocketLayer()) {
    std::cerr << "kesto: the socket layer cannot be started\n";
    return kExitNetwork;
  }
  listOptions.bWaitGiven = pListWait->count() > 0;
  listOptions.bProgress = platform::IsStandardErrorTerminal();
  watchOptions.bAgeLimitGiven = pAgeLimit->count() > 0;
  setOptions.bWaitGiven = pSetWait->count() > 0;
  openOptions.bWaitGiven = pOpenWait->count() > 0;
  int iResult = kExitFailed;
  if (*pList) {
    iResult = RunList(listOptions, std::cout, std::cerr);
  } else if (*pWatch) {
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    iResult = RunWatch(watchOptions, std::cout, std::cerr, &g_bStop);
  } else if (*pSet) {
    auto take = [](const SetOptionBinding& binding, std::optional<std::string>* psField) {
      if (binding.pOption->count() > 0) *psField = binding.sValue;
    };
    take(name, &setOptions.fields.sName);
    take(ip, &setOptions.fields.sIPAddress);
    take(netmask, &setOptions.fields.sNetMask);
    take(gateway, &setOptions.fields.sGateway);
    take(dns, &setOptions.fields.sDNS);
    take(type, &setOptions.fields.sType);
    take(protocol, &setOptions.fields.sProtocol);
    take(baud, &setOptions.fields.sBaud);
    iResult = RunSet(setOptions, std::cout, std::cerr);
  } else if (*pOpen) {
    iResult = RunOpen(openOptions, std::cout, std::cerr);
  }
  platform::StopSocketLayer();
  return iResult;
}
