#include "tools/ListCommand.h"

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "discovery/KestoAddressCheck.h"
#include "platform/Terminal.h"
#include "tools/CommonOptions.h"
#include "tools/DeviceTable.h"
#include "tools/ExitCodes.h"
#include "formats/CountText.h"
#include "formats/DeviceList.h"

namespace {

// Sweeps shorter than this end before anyone wonders; longer ones show progress.
constexpr uint32_t kProgressAfterSweepMs = 2000;
constexpr uint32_t kProgressEveryMs = 250;

std::string MacText(const CKestoAddressCheck::MacAddress& mac) { return FormatMAC(mac.data()); }

void WarnDuplicates(const CKestoAddressCheck& check, std::ostream& err) {
  for (uint32_t dwIP : check.GetSharedIPs()) {
    err << "kesto: warning: " << FormatAddress(dwIP) << " is reported by more than one device:";
    for (const auto& mac : check.MACsWithIP(dwIP)) err << " " << MacText(mac);
    err << "\n";
  }
}

}  // namespace

int RunList(const ListOptions& options, std::ostream& out, std::ostream& err) {
  int iExitCode = kExitOk;
  auto pSession = CFinderSession::Open(options.target, err, &iExitCode);
  if (!pSession) return iExitCode;
  if (!pSession->ProbeNow(err)) return kExitNetwork;
  CKestoFinder& finder = pSession->Finder();
  const uint32_t dwWaitMs = pSession->WaitMs(options.iWaitMs, options.bWaitGiven);

  const bool bProgress = options.bProgress && pSession->SweepMs() > kProgressAfterSweepMs;
  uint32_t dwLastProgress = finder.Now();
  auto showProgress = [&](bool bFinal) {
    err << "\rkesto: asked " << finder.GetSweepSent() << " of " << finder.GetSweepSize() << " target addresses, "
        << DeviceCount(finder.GetDevices().GetCount()) << " so far" << (bFinal ? "\n" : "") << std::flush;
  };
  pSession->RunPasses(dwWaitMs, [&] {
    if (bProgress && finder.Now() - dwLastProgress >= kProgressEveryMs) {
      dwLastProgress = finder.Now();
      showProgress(false);
    }
    return false;
  });
  if (bProgress) showProgress(true);

  // Nothing ages out here: every device that answered during the wait is listed.
  std::vector<KESTO_RECORD> records = finder.GetRecords();
  CKestoAddressCheck check;
  check.Rebuild(records);
  const bool bJudgeSubnets = pSession->CanJudgeSubnets();
  auto isUnreachable = [&](const KESTO_RECORD& record) {
    return bJudgeSubnets && !pSession->IsOnLocalSubnet(record.dwIPAddress);
  };

  std::vector<ListedDevice> listed;
  for (const KESTO_RECORD& record : records) {
    ListedDevice& device = listed.emplace_back();
    device.record = record;
    device.bDuplicateIP = check.IsDuplicateIP(record);
    device.bUnreachable = isUnreachable(record);
    SetListedSenders(&listed.back(), finder.GetSenders(record.byMAC), finder.GetRefusedSenders(record.byMAC));
  }
  if (options.bJson || options.bCsv) {
    out << (options.bJson ? DevicesToJson(listed) : DevicesToCsv(listed, options.bOutputTerminal));
  } else {
    std::vector<std::string> notes;
    for (const ListedDevice& device : listed) {
      std::string sNote = device.bDuplicateIP ? kNoteDuplicateIP : "";
      if (device.bUnreachable) sNote += std::string(sNote.empty() ? "" : ", ") + kNoteOtherSubnet;
      if (device.bSeveralSenders) sNote += std::string(sNote.empty() ? "" : ", ") + kNoteSeveralSenders;
      notes.push_back(std::move(sNote));
    }
    out << FormatDeviceTable(records, notes);
  }
  out.flush();
  // An empty list is a header alone (or []): said in words where a person reads it, with the usual causes.
  if (records.empty()) HintNoAnswer(dwWaitMs, finder.GetTarget().wPort, err);
  WarnDuplicates(check, err);
  for (const KESTO_RECORD& record : records) WarnSeveralSenders(finder, record.byMAC, "kesto", err);
  if (finder.GetRefusedDevices() > 0)
    err << "kesto: " << finder.GetRefusedDevices() << " answers from further devices were refused (list full)\n";
  return kExitOk;
}

void AddListCommand(CLI::App* pApp, KestoCommands* pCommands) {
  auto pOptions = std::make_shared<ListOptions>();
  CLI::App* pList = pApp->add_subcommand("list", "List the devices that answer within the wait");
  pList->footer(std::string(kDeviceTextHelp) + "\n" + kExitCodeHelp);
  CLI::Option* pWait = AddWaitOption(pList, "--wait", &pOptions->iWaitMs,
                                     "How long to collect answers, in ms (default 1500, plus the --target sweep)");
  CLI::Option* pJson = pList->add_flag("--json", pOptions->bJson, "Print one JSON array of device objects");
  pList->add_flag("--csv", pOptions->bCsv,
                  "Print CSV: a header line and one line per device; a name or version starting with = + - @ TAB "
                  "or CR gets a leading ' so that a spreadsheet does not take it for a formula")->excludes(pJson);
  AddTargetOptions(pList, &pOptions->target);
  pCommands->push_back({pList, [pOptions, pWait](const CommandStreams& io) {
                          pOptions->bWaitGiven = pWait->count() > 0;
                          pOptions->bProgress = platform::IsStandardErrorTerminal();
                          pOptions->bOutputTerminal = platform::IsStandardOutputTerminal();
                          return RunList(*pOptions, io.out, io.err);
                        }});
}
