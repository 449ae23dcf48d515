#include "tools/DoctorCommand.h"

#include <memory>
#include <ostream>

#include "discovery/ReceiveRoomNotice.h"
#include "platform/ProgramPath.h"
#include "platform/ProgramRun.h"
#include "tools/CommonOptions.h"
#include "tools/ExitCodes.h"
#include "tools/doctor/AdapterChecks.h"
#include "tools/doctor/DoctorReport.h"
#include "tools/doctor/FirewallChecks.h"
#include "tools/doctor/ProbeChecks.h"

namespace {

// Reading the rules is quick; a hung or flooding program must not hold the doctor up.
constexpr uint32_t kFirewallReadMs = 5000;
constexpr size_t kMaxFirewallOutput = 16u << 20;

DoctorChecks CheckFirewall(uint16_t wPort) {
  if (platform::GetHostFirewall() == platform::HostFirewall::kWindows)
    return WindowsFirewallChecks(platform::RunProgram(kWindowsProfileCommand, kFirewallReadMs, 64 << 10), wPort,
                                 platform::OwnProgramPath());
  const platform::ProgramResult nft = platform::RunProgram(kNftListCommand, kFirewallReadMs, kMaxFirewallOutput);
  // Without nft the rules may still be iptables' own.
  if (!nft.bStarted)
    return IptablesFirewallChecks(platform::RunProgram(kIptablesListCommand, kFirewallReadMs, kMaxFirewallOutput), wPort);
  return NftFirewallChecks(nft, wPort);
}

void Append(DoctorChecks* pAll, DoctorChecks more) {
  for (DoctorCheck& check : more) pAll->push_back(std::move(check));
}

}  // namespace

int RunDoctor(const DoctorOptions& options, std::ostream& out, std::ostream& err) {
  int iExitCode = kExitOk;
  auto pSession = CFinderSession::Open(options.target, err, &iExitCode);
  if (!pSession) return iExitCode;
  if (!pSession->ProbeNow(err)) return kExitNetwork;
  CKestoFinder& finder = pSession->Finder();
  const uint32_t dwWaitMs = pSession->WaitMs(options.iWaitMs, false);
  const uint16_t wPort = finder.GetTarget().wPort;

  // The adapters and the firewall are read while the first answers come in.
  AdapterFacts adapters;
  adapters.bTableRead = finder.HasInterfaceTable();
  adapters.table = finder.GetInterfaces();
  adapters.dwLimitedSource = finder.GetInterfaceSnapshot().GetLimitedSource();
  adapters.sRoomNotice = ReceiveRoomNotice(finder.GetSocket(), finder.GetMaxEntries());
  DoctorChecks checks = CheckAdapters(adapters);
  Append(&checks, CheckFirewall(wPort));
  if (!options.bJson) {
    PrintDoctorChecks(checks, out);
    err << "kesto: probing for " << dwWaitMs << " ms...\n";
  }

  pSession->RunPasses(dwWaitMs, {});
  ProbeFacts probe;
  probe.dwWaitMs = dwWaitMs;
  probe.records = finder.GetRecords();
  probe.table = finder.GetInterfaces();
  probe.bJudgeSubnets = pSession->CanJudgeSubnets();
  probe.qwRefused = finder.GetRefusedDevices();
  const DoctorChecks probeChecks = CheckProbe(probe);
  if (options.bJson) {
    Append(&checks, probeChecks);
    PrintDoctorJson(checks, out);
  } else {
    PrintDoctorChecks(probeChecks, out);
    Append(&checks, probeChecks);
  }
  return AnythingWrong(checks) ? kExitFailed : kExitOk;
}

void AddDoctorCommand(CLI::App* pApp, KestoCommands* pCommands) {
  auto pOptions = std::make_shared<DoctorOptions>();
  CLI::App* pDoctor = pApp->add_subcommand(
      "doctor", "Check why devices may not be found: adapters, firewall, and one listing's answers");
  pDoctor->footer(
      "Each line: ok, info, warning, problem or unknown, what was checked, and below it the fix to type.\n"
      "The firewall's rules are read with `nft -j list ruleset` (root needed; on Windows the firewall profile\n"
      "with netsh). The probe sends only what `kesto list` with the same options sends.\n"
      "Exit codes: 0 nothing wrong; 1 a warning or a problem; 2 bad input; 5 network error.");
  AddWaitOption(pDoctor, "--wait", &pOptions->iWaitMs, "How long to collect answers, in ms (default 1500)");
  pDoctor->add_flag("--json", pOptions->bJson, "Print one JSON object {\"ok\":...,\"checks\":[...]}");
  AddTargetOptions(pDoctor, &pOptions->target);
  pCommands->push_back({pDoctor, [pOptions](const CommandStreams& io) { return RunDoctor(*pOptions, io.out, io.err); }});
}
