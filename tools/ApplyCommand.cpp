#include "tools/ApplyCommand.h"

#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "formats/HexText.h"
#include "formats/TerminalText.h"
#include "platform/Terminal.h"
#include "tools/ChangeLogOption.h"
#include "tools/CommonOptions.h"
#include "tools/DecimalOption.h"
#include "tools/ExitCodes.h"
#include "tools/TextFile.h"
#include "plan/AddressAssignment.h"
#include "plan/AddressField.h"
#include "plan/ApplyReport.h"
#include "plan/DeviceBackup.h"
#include "plan/PlanApplyDriver.h"
#include "plan/PlanPreview.h"
#include "plan/PlanReader.h"
#include "plan/PlanRun.h"

namespace {

// Plan errors shown before "and N more".
constexpr size_t kMaxErrorsShown = 20;
// Once every planned device has answered, a little longer for the others'
// answers to the same probe, so the shared-address check sees them too.
constexpr uint32_t kSettleMs = 200;
// Planned devices still missing are asked again this often, as awaited ones are.
constexpr uint32_t kReprobeMs = CPlanApplyDriver::kReprobeMs;
constexpr uint32_t kProgressAfterMs = 2000;
constexpr uint32_t kProgressEveryMs = 250;

int RefusePlan(const char* pszCommand, const std::vector<std::string>& errors, std::ostream& err) {
  for (size_t i = 0; i < errors.size() && i < kMaxErrorsShown; ++i)
    // Messages quote plan cells, which may be device texts copied from a list: control bytes are shown, not sent.
    err << "kesto " << pszCommand << ": " << WithoutControls(errors[i]) << "\n";
  if (errors.size() > kMaxErrorsShown)
    err << "kesto " << pszCommand << ": and " << errors.size() - kMaxErrorsShown << " more problems\n";
  err << "kesto " << pszCommand << ": the plan was refused; nothing sent\n";
  return kExitBadInput;
}

bool ParseAssignment(const ApplyOptions& options, AddressAssignment* pAssignment, std::string* psError) {
  AddressAssignment assignment;
  if (!ParseAddressField(options.sNetMask, "--netmask", &assignment.dwNetMask, psError) ||
      !ParseAddressField(options.sGateway, "--gateway", &assignment.dwGateway, psError))
    return false;
  std::string sError;
  if (!ParseAddressRange(options.sRange, assignment.dwNetMask, &assignment.dwFirst, &assignment.dwLast, &sError)) {
    *psError = "--assign-ip: " + sError;
    return false;
  }
  if (!ParseAssignOrder(options.sOrder, &assignment.order)) {
    *psError = "--order: \"" + options.sOrder + "\" is not one of mac, name, ip, listed";
    return false;
  }
  assignment.sMatch = options.sMatch;
  *pAssignment = std::move(assignment);
  return true;
}

// Sends the changed devices' settings and follows them until each is settled.
void SendChanges(CFinderSession& session, const ApplyOptions& options, uint32_t dwWaitMs, CPlanApplyDriver* pRun,
                 std::ostream& err, const volatile std::sig_atomic_t* pbStop) {
  CKestoFinder& finder = session.Finder();
  const size_t nSteps = pRun->StepCount();
  const uint32_t dwStart = finder.Now();
  uint32_t dwLastProgress = dwStart;
  bool bProgressShown = false;
  // Every step is settled within its wait of its start, and starts come in groups of --parallel.
  const uint64_t qwRounds = (nSteps + static_cast<size_t>(options.iParallel) - 1) / options.iParallel + 1;
  const uint32_t dwBoundMs = static_cast<uint32_t>(std::min<uint64_t>(qwRounds * (dwWaitMs + 100), 0x7FFFFFFF));
  session.RunPasses(
      dwBoundMs,
      [&] {
        pRun->Pump(finder);
        const uint32_t dwNow = finder.Now();
        if (options.bProgress && dwNow - dwStart >= kProgressAfterMs && dwNow - dwLastProgress >= kProgressEveryMs) {
          dwLastProgress = dwNow;
          bProgressShown = true;
          err << "\rkesto: " << pRun->DoneCount() << " of " << nSteps << " devices done" << std::flush;
        }
        return pRun->IsDone();
      },
      pbStop);
  if (!pRun->IsDone()) {
    if (pbStop != nullptr && *pbStop)
      err << (bProgressShown ? "\n" : "") << "kesto: stopped; nothing more is sent\n";
    bProgressShown = bProgressShown && !(pbStop != nullptr && *pbStop);
    pRun->Stop();
  }
  if (bProgressShown) err << "\rkesto: " << pRun->DoneCount() << " of " << nSteps << " devices done\n";
}

int ReportExitCode(const std::vector<ReportLine>& lines) {
  if (CountOutcome(lines, DeviceOutcome::kNotConfirmed) + CountOutcome(lines, DeviceOutcome::kNotSent) +
          CountOutcome(lines, DeviceOutcome::kRefused) >
      0)
    return kExitNotConfirmed;
  if (CountOutcome(lines, DeviceOutcome::kNotFound) > 0) return kExitNotFound;
  return kExitOk;
}

}  // namespace

int RunApply(const ApplyOptions& options, std::ostream& out, std::ostream& err,
             const volatile std::sig_atomic_t* pbStop) {
  const char* pszCommand = options.source == ApplyOptions::Source::kRestore ? "restore" : "apply";
  // Everything the user gave is checked before the first datagram.
  DevicePlan plan;
  AddressAssignment assignment;
  std::string sError;
  if (options.source == ApplyOptions::Source::kAssignIP) {
    if (!ParseAssignment(options, &assignment, &sError)) return RefusePlan(pszCommand, {sError}, err);
  } else {
    std::string sText;
    if (!ReadTextFile(options.sFile, kMaxPlanBytes, pbStop, &sText, &sError)) {
      if (pbStop == nullptr || !*pbStop) return RefusePlan(pszCommand, {sError}, err);
      err << "kesto " << pszCommand << ": stopped before anything was sent\n";
      return kExitNotConfirmed;
    }
    if (options.source == ApplyOptions::Source::kRestore) {
      std::vector<KESTO_RECORD> records;
      if (!ReadBackup(sText, &records, &sError)) return RefusePlan(pszCommand, {options.sFile + ": " + sError}, err);
      plan = RestorePlan(records);
      if (plan.entries.empty()) return RefusePlan(pszCommand, {options.sFile + ": the backup holds no device"}, err);
    } else {
      std::vector<std::string> errors;
      if (!ReadPlan(sText, &plan, &errors)) {
        std::vector<KESTO_RECORD> records;
        std::string sBackupError;
        if (ReadBackup(sText, &records, &sBackupError))
          errors = {options.sFile + " is a backup written by kesto backup, not a plan: `kesto restore " +
                    options.sFile + "` writes it back"};
        return RefusePlan(pszCommand, errors, err);
      }
    }
  }

  int iExitCode = kExitOk;
  auto pSession = CFinderSession::Open(options.target, err, &iExitCode);
  if (!pSession) return iExitCode;
  CKestoFinder& finder = pSession->Finder();
  const uint32_t dwWaitMs = pSession->WaitMs(options.iWaitMs, options.bWaitGiven);
  if (!pSession->ProbeNow(err)) return kExitNetwork;
  if (options.source == ApplyOptions::Source::kAssignIP) {
    // Which devices match, and which addresses are held, takes everyone's answer: the whole wait.
    pSession->RunPasses(dwWaitMs, nullptr, pbStop);
    const std::vector<KESTO_RECORD> listed = finder.GetRecords();
    if (!BuildAssignmentPlan(assignment, listed, &plan, &sError)) {
      err << "kesto apply: " << sError << "; nothing sent\n";
      const bool bAnyMatch = std::any_of(listed.begin(), listed.end(), [&](const KESTO_RECORD& record) {
        return DeviceMatches(record, assignment.sMatch);
      });
      return bAnyMatch ? kExitBadInput : kExitNotFound;  // too small a range, or nobody to address
    }
  } else {
    // Planned devices still missing are asked again every kReprobeMs, so one lost answer costs little.
    const uint32_t dwStart = finder.Now();
    uint32_t dwLastProbe = dwStart;
    pSession->RunPasses(dwWaitMs, [&] {
      const uint32_t dwNow = finder.Now();
      for (const PlanEntry& entry : plan.entries) {
        if (FindDeviceByMAC(finder, entry.mac.data()) != nullptr) continue;
        if (dwNow - dwLastProbe >= kReprobeMs) {
          finder.SendProbe();
          dwLastProbe = dwNow;
        }
        return false;
      }
      return dwNow - dwStart >= kSettleMs;
    }, pbStop);
  }
  if (pbStop != nullptr && *pbStop) {
    err << "kesto " << pszCommand << ": stopped before anything was sent\n";
    return kExitNotConfirmed;
  }

  const PlanPreview preview = PreviewPlan(plan, finder.GetRecords());
  if (!preview.Errors().empty()) return RefusePlan(pszCommand, preview.Errors(), err);
  const bool bReportJson = options.bJson && options.bYes;
  if (!bReportJson) out << (options.bJson ? AsciiJson(PreviewToJson(preview), 2) + "\n" : FormatPreview(preview));
  out.flush();
  // The address rule on every device's changed addresses: refused whole unless --force,
  // with or without --yes, so a check run tells what a real one would do.
  if (const std::vector<std::string> problems = preview.AddressProblems(); !problems.empty()) {
    if (!options.bForce) {
      err << "kesto " << pszCommand << ": " << problems.size() << (problems.size() == 1 ? " device" : " devices")
          << " would take addresses that leave it unreachable (see the warnings); nothing sent; --force sends "
             "them anyway\n";
      return kExitBadInput;
    }
    err << "kesto " << pszCommand << ": warning: addresses the address rule refuses are sent anyway (--force)\n";
  }
  // Not found is the same answer with or without --yes: nothing could be sent to those devices.
  if (!options.bYes)
    return preview.CountChanged() > 0 ? kExitPending : preview.CountNotFound() > 0 ? kExitNotFound : kExitOk;
  if (PlanMakesSharedIP(preview)) {
    err << "kesto " << pszCommand << ": the plan would give an address to more than one device; nothing sent\n";
    return kExitBadInput;
  }

  CPlanApplyDriver run(preview, static_cast<size_t>(options.iParallel), dwWaitMs);
  if (run.StepCount() > 0) SendChanges(*pSession, options, dwWaitMs, &run, err, pbStop);

  const std::vector<ReportLine> lines = ReportLines(preview, &run);
  out << (bReportJson ? AsciiJson(ReportToJson(lines), 2) + "\n" : "\n" + FormatReport(lines));
  out.flush();
  return ReportExitCode(lines);
}

namespace {

// The options apply and restore share: how to send, how long to wait, how to report.
// Returns the --wait option, whose count tells whether a wait was given.
CLI::Option* AddPlanRunOptions(CLI::App* pCommand, ApplyOptions* pOptions) {
  pCommand->add_flag("--yes", pOptions->bYes, "Send the changes; without it only the plan is shown");
  AddDecimalOption(pCommand, "--parallel", &pOptions->iParallel, 1, 256,
                   "Devices awaiting confirmation at once, 1-256 (default 8)");
  CLI::Option* pWait = AddWaitOption(pCommand, "--wait", &pOptions->iWaitMs,
                                     "Bound in ms for finding the devices and, per device, for its confirmation "
                                     "(default 3000, plus the --target sweep)");
  pCommand->add_flag("--json", pOptions->bJson, "Print the plan (or with --yes the report) as JSON");
  AddNoLogOption(pCommand, &pOptions->bNoLog);
  pCommand->add_flag("--force", pOptions->bForce,
                     "Send addresses the address rule refuses (a bad mask, a gateway outside the network, 0.0.0.0 "
                     "or a broadcast address)");
  AddTargetOptions(pCommand, &pOptions->target);
  return pWait;
}

int RunPlanCommand(ApplyOptions* pOptions, CLI::Option* pWait, const CommandStreams& io) {
  pOptions->bWaitGiven = pWait->count() > 0;
  pOptions->bProgress = platform::IsStandardErrorTerminal();
  OpenChangeLog(pOptions->source == ApplyOptions::Source::kRestore ? "kesto restore" : "kesto apply",
                pOptions->bNoLog, io.err);
  return RunApply(*pOptions, io.out, io.err, StopOnSignals());
}

}  // namespace

void AddApplyCommands(CLI::App* pApp, KestoCommands* pCommands) {
  // apply: a plan file, or --assign-ip building one.
  auto pApply = std::make_shared<ApplyOptions>();
  CLI::App* pApplyApp =
      pApp->add_subcommand("apply", "Show, then with --yes apply, a plan of settings for many devices");
  pApplyApp->footer(std::string("PLAN is the CSV or JSON that `kesto list --csv/--json` prints: mac required, an "
                                "empty cell leaves a setting as it is.\n") + kPlanExitCodeHelp);
  CLI::Option* pPlanFile =
      pApplyApp->add_option("PLAN", pApply->sFile, "Plan file (CSV or JSON; - reads standard input)");
  CLI::Option* pAssign = pApplyApp->add_option("--assign-ip", pApply->sRange,
                                               "Give every matching device the next free address of FIRST[-LAST]")
                             ->excludes(pPlanFile);
  pApplyApp->add_option("--netmask", pApply->sNetMask, "With --assign-ip: also set this net mask")->needs(pAssign);
  pApplyApp->add_option("--gateway", pApply->sGateway, "With --assign-ip: also set this gateway")->needs(pAssign);
  pApplyApp->add_option("--order", pApply->sOrder, "With --assign-ip: mac (default), name, ip or listed")
      ->needs(pAssign);
  pApplyApp->add_option("--match", pApply->sMatch,
                        "With --assign-ip: only devices whose name, MAC, IP or version holds this text")
      ->needs(pAssign);
  CLI::Option* pApplyWait = AddPlanRunOptions(pApplyApp, pApply.get());
  pCommands->push_back({pApplyApp, [pApply, pApplyWait, pPlanFile, pAssign](const CommandStreams& io) {
                          if (pPlanFile->count() == 0 && pAssign->count() == 0) {
                            io.err << "kesto apply: give a PLAN file or --assign-ip FIRST[-LAST]\n";
                            return static_cast<int>(kExitBadInput);
                          }
                          if (pAssign->count() > 0) pApply->source = ApplyOptions::Source::kAssignIP;
                          return RunPlanCommand(pApply.get(), pApplyWait, io);
                        }});

  // restore: a backup.
  auto pRestore = std::make_shared<ApplyOptions>();
  pRestore->source = ApplyOptions::Source::kRestore;
  CLI::App* pRestoreApp =
      pApp->add_subcommand("restore", "Show, then with --yes write back, the settings of a backup");
  pRestoreApp->footer(kPlanExitCodeHelp);
  pRestoreApp->add_option("FILE", pRestore->sFile, "Backup written by kesto backup (- reads standard input)")
      ->required();
  CLI::Option* pRestoreWait = AddPlanRunOptions(pRestoreApp, pRestore.get());
  pCommands->push_back({pRestoreApp, [pRestore, pRestoreWait](const CommandStreams& io) {
                          return RunPlanCommand(pRestore.get(), pRestoreWait, io);
                        }});
}
