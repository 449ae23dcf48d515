// kesto: finds Kesto devices on the local network, lists and watches them,
// changes their settings and opens their web page.
#include <csignal>
#include <exception>
#include <iostream>
#include <string>
#include <utility>

#include <CLI/CLI.hpp>

#include "platform/SocketLayer.h"
#include "platform/Terminal.h"
#include "tools/ApplyCommand.h"
#include "tools/BackupCommand.h"
#include "tools/DecimalOption.h"
#include "tools/ExitCodes.h"
#include "tools/ListCommand.h"
#include "tools/OpenCommand.h"
#include "tools/SetCommand.h"
#include "tools/WatchCommand.h"
#include "version/KestoVersion.h"

namespace {

volatile std::sig_atomic_t g_bStop = 0;

void OnStopSignal(int) { g_bStop = 1; }

constexpr const char* kDeviceTextHelp =
    "Names and versions come from the devices. In the table, in watch lines and in CSV printed to a terminal,\n"
    "TAB, LF and CR show as \\t, \\n and \\r, other control characters as \\xHH (\\x1b for ESC) and a backslash\n"
    "as \\\\, so no device steers the terminal; JSON is plain ASCII with its own escapes.\n"
    "Numbers are decimal: 010 is 10; 0x50, 1e3 and +5 are refused.";

void AddTargetOptions(CLI::App* pCommand, TargetOptions* pTarget) {
  pCommand->add_option("--broadcast", pTarget->sBroadcast, "Address the requests go to (dotted, no host names)")
      ->default_str(pTarget->sBroadcast);
  AddDecimalOption(pCommand, "--port", &pTarget->iPort, 1, 65535, "UDP port of the devices")
      ->default_str(std::to_string(pTarget->iPort));
  pCommand->add_option("--interface", pTarget->vecInterfaces,
                       "Broadcast only on this adapter (repeatable); default: 255.255.255.255 and every adapter")
      ->allow_extra_args(false);
  pCommand->add_option("--target", pTarget->vecTargets,
                       "Also ask A.B.C.D or every host of A.B.C.D/20..32 by unicast (repeatable; at most 4096 "
                       "addresses, 1000 a second)")
      ->allow_extra_args(false);
  pCommand->add_flag("--no-broadcast", pTarget->bNoBroadcast, "Send only to the --target addresses");
}

// A wait in ms, up to a day; anything else is bad input.
CLI::Option* AddWaitOption(CLI::App* pCommand, const char* pszName, int* piValue, const char* pszHelp) {
  return AddDecimalOption(pCommand, pszName, piValue, 0, 24 * 3600 * 1000, pszHelp);
}

struct RestoreOptionsBinding {
  CLI::Option* pWait = nullptr;
};

// The options apply and restore share: how to send, how long to wait, how to report.
void AddPlanRunOptions(CLI::App* pCommand, ApplyOptions* pOptions, RestoreOptionsBinding* pBinding) {
  pCommand->add_flag("--yes", pOptions->bYes, "Send the changes; without it only the plan is shown");
  pCommand->add_option("--parallel", pOptions->iParallel, "Devices awaiting confirmation at once (default 8)")
      ->check(CLI::Range(1, 256));
  pBinding->pWait = AddWaitOption(pCommand, "--wait", &pOptions->iWaitMs,
                                  "Bound in ms for finding the devices and, per device, for its confirmation "
                                  "(default 3000, plus the --target sweep)");
  pCommand->add_flag("--json", pOptions->bJson, "Print the plan (or with --yes the report) as JSON");
  AddTargetOptions(pCommand, &pOptions->target);
}

struct SetOptionBinding {
  CLI::Option* pOption;
  std::string sValue;
};

int Run(int argc, char** argv) {
  CLI::App app{"kesto: find Kesto devices on the local network and change their settings"};
  app.footer(kExitCodeHelp);
  app.set_version_flag("--version", std::string("kesto ") + GetKestoVersion());
  app.require_subcommand(1);

  ListOptions listOptions;
  CLI::App* pList = app.add_subcommand("list", "List the devices that answer within the wait");
  pList->footer(std::string(kDeviceTextHelp) + "\n" + kExitCodeHelp);
  CLI::Option* pListWait = AddWaitOption(pList, "--wait", &listOptions.iWaitMs,
                                         "How long to collect answers, in ms (default 1500, plus the --target sweep)");
  CLI::Option* pJson = pList->add_flag("--json", listOptions.bJson, "Print one JSON array of device objects");
  pList->add_flag("--csv", listOptions.bCsv,
                  "Print CSV: a header line and one line per device; a name or version starting with = + - @ TAB "
                  "or CR gets a leading ' so that a spreadsheet does not take it for a formula")->excludes(pJson);
  AddTargetOptions(pList, &listOptions.target);

  WatchOptions watchOptions;
  CLI::App* pWatch = app.add_subcommand("watch", "Print devices as they are added, changed or removed");
  pWatch->footer(std::string(kDeviceTextHelp) + "\n" + kExitCodeHelp);
  AddWaitOption(pWatch, "--duration", &watchOptions.iDurationMs, "How long to watch, in ms (default: until Ctrl-C)");
  pWatch->add_flag("--json", watchOptions.bJson, "Print JSON lines {\"event\":...,\"device\":{...}}");
  CLI::Option* pAgeLimit = AddDecimalOption(pWatch, "--age-limit", &watchOptions.iAgeLimitMs, AGE_LIMIT_MS, 3600 * 1000,
                                            "Report a device removed after this many ms of silence (default 2500: "
                                            "one lost answer is ridden out)");
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
  type.pOption = pSet->add_option("--type", type.sValue, TypeOptionWords(" or "));
  protocol.pOption = pSet->add_option("--protocol", protocol.sValue, "Pass-through protocol: " + ProtocolOptionWords(" or "));
  baud.pOption = pSet->add_option("--baud", baud.sValue, "Pass-through rate: " + BaudRatesText(" or "));
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

  // apply: a plan file, or --assign-ip building one; restore: a backup.
  ApplyOptions applyOptions;
  CLI::App* pApply = app.add_subcommand("apply", "Show, then with --yes apply, a plan of settings for many devices");
  pApply->footer(std::string("PLAN is the CSV or JSON that `kesto list --csv/--json` prints: mac required, an "
                             "empty cell leaves a setting as it is.\n") + kPlanExitCodeHelp);
  CLI::Option* pPlanFile =
      pApply->add_option("PLAN", applyOptions.sFile, "Plan file (CSV or JSON; - reads standard input)");
  CLI::Option* pAssign = pApply->add_option("--assign-ip", applyOptions.sRange,
                                            "Give every matching device the next free address of FIRST[-LAST]")
                             ->excludes(pPlanFile);
  pApply->add_option("--netmask", applyOptions.sNetMask, "With --assign-ip: also set this net mask")->needs(pAssign);
  pApply->add_option("--gateway", applyOptions.sGateway, "With --assign-ip: also set this gateway")->needs(pAssign);
  pApply->add_option("--order", applyOptions.sOrder, "With --assign-ip: mac (default), name, ip or listed")
      ->needs(pAssign);
  pApply->add_option("--match", applyOptions.sMatch,
                     "With --assign-ip: only devices whose name, MAC, IP or version holds this text")
      ->needs(pAssign);
  RestoreOptionsBinding applyBinding;
  AddPlanRunOptions(pApply, &applyOptions, &applyBinding);

  ApplyOptions restoreOptions;
  restoreOptions.source = ApplyOptions::Source::kRestore;
  CLI::App* pRestore = app.add_subcommand("restore", "Show, then with --yes write back, the settings of a backup");
  pRestore->footer(kPlanExitCodeHelp);
  pRestore->add_option("FILE", restoreOptions.sFile, "Backup written by kesto backup (- reads standard input)")
      ->required();
  RestoreOptionsBinding restoreBinding;
  AddPlanRunOptions(pRestore, &restoreOptions, &restoreBinding);

  BackupOptions backupOptions;
  CLI::App* pBackup = app.add_subcommand("backup", "Write every answering device's full record as JSON");
  pBackup->footer(kPlanExitCodeHelp);
  pBackup->add_option("--output", backupOptions.sOutput, "Write to this file (atomically) instead of stdout");
  pBackup->add_flag("--force", backupOptions.bForce, "Replace an existing --output file");
  CLI::Option* pBackupWait = AddWaitOption(pBackup, "--wait", &backupOptions.iWaitMs,
                                           "How long to collect answers, in ms (default 3000, plus the --target sweep)");
  AddTargetOptions(pBackup, &backupOptions.target);

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
  listOptions.bOutputTerminal = platform::IsStandardOutputTerminal();
  watchOptions.bAgeLimitGiven = pAgeLimit->count() > 0;
  setOptions.bWaitGiven = pSetWait->count() > 0;
  openOptions.bWaitGiven = pOpenWait->count() > 0;
  backupOptions.bWaitGiven = pBackupWait->count() > 0;
  for (auto [pOptions, pBinding] : {std::pair{&applyOptions, &applyBinding}, std::pair{&restoreOptions, &restoreBinding}}) {
    pOptions->bWaitGiven = pBinding->pWait->count() > 0;
    pOptions->bProgress = platform::IsStandardErrorTerminal();
  }
  if (pAssign->count() > 0) applyOptions.source = ApplyOptions::Source::kAssignIP;
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
  } else if (*pApply || *pRestore) {
    if (*pApply && pPlanFile->count() == 0 && pAssign->count() == 0) {
      std::cerr << "kesto apply: give a PLAN file or --assign-ip FIRST[-LAST]\n";
      iResult = kExitBadInput;
    } else {
      std::signal(SIGINT, OnStopSignal);
      std::signal(SIGTERM, OnStopSignal);
      iResult = RunApply(*pApply ? applyOptions : restoreOptions, std::cout, std::cerr, &g_bStop);
    }
  } else if (*pBackup) {
    iResult = RunBackup(backupOptions, std::cout, std::cerr);
  }
  platform::StopSocketLayer();
  return iResult;
}

}  // namespace

int main(int argc, char** argv) {
  // Nothing may end the program unexplained: whatever escapes is reported and fails.
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "kesto: " << e.what() << "\n";
  } catch (...) {
    std::cerr << "kesto: unexpected failure\n";
  }
  return kExitFailed;
}
