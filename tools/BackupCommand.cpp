#include "tools/BackupCommand.h"

#include <chrono>
#include <ctime>
#include <memory>
#include <ostream>
#include <string>

#include "platform/WholeFile.h"
#include "tools/CommonOptions.h"
#include "tools/ExitCodes.h"
#include "tools/TextFile.h"
#include "formats/CountText.h"
#include "plan/DeviceBackup.h"

namespace {

// The time of the backup in UTC, 2026-12-09T15:40:00Z.
std::string UtcNowText() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  char szText[32] = "";
  if (const std::tm* pUtc = std::gmtime(&now)) std::strftime(szText, sizeof szText, "%Y-%m-%dT%H:%M:%SZ", pUtc);
  return szText;
}

}  // namespace

int RunBackup(const BackupOptions& options, std::ostream& out, std::ostream& err) {
  if (!options.sOutput.empty() && !options.bForce && platform::PathExists(options.sOutput)) {
    err << "kesto backup: " << options.sOutput << " exists; give --force to replace it\n";
    return kExitBadInput;
  }
  int iExitCode = kExitOk;
  auto pSession = CFinderSession::Open(options.target, err, &iExitCode);
  if (!pSession) return iExitCode;
  if (!pSession->ProbeNow(err)) return kExitNetwork;
  pSession->RunPasses(pSession->WaitMs(options.iWaitMs, options.bWaitGiven), nullptr);

  std::vector<KESTO_RECORD> records = pSession->Finder().GetRecords();
  if (records.empty()) {
    err << "kesto backup: no device answered; nothing written\n";
    return kExitNotFound;
  }
  const std::string sBackup = BackupToJson(records, UtcNowText());
  if (options.sOutput.empty()) {
    out << sBackup;
    out.flush();
    return kExitOk;
  }
  std::string sError;
  // Checked again as the file is put in place: one made while the answers came in is not replaced either.
  bool bExists = false;
  if (!WriteTextFile(options.sOutput, sBackup, options.bForce, &sError, &bExists)) {
    err << "kesto backup: " << sError << "; nothing written\n";
    return bExists ? kExitBadInput : kExitFailed;
  }
  err << "kesto backup: " << DeviceCount(records.size()) << " written to " << options.sOutput << "\n";
  return kExitOk;
}

void AddBackupCommand(CLI::App* pApp, KestoCommands* pCommands) {
  auto pOptions = std::make_shared<BackupOptions>();
  CLI::App* pBackup = pApp->add_subcommand("backup", "Write every answering device's full record as JSON");
  pBackup->footer(
      "Exit codes: 0 written; 1 the file could not be written, or another failure; 2 bad option, or the --output\n"
      "file exists without --force (nothing written); 4 no device answered (nothing written); 5 network error.");
  pBackup->add_option("--output", pOptions->sOutput,
                      "Write to this file (a new temporary renamed over it) instead of stdout");
  pBackup->add_flag("--force", pOptions->bForce, "Replace an existing --output file");
  CLI::Option* pWait = AddWaitOption(pBackup, "--wait", &pOptions->iWaitMs,
                                     "How long to collect answers, in ms (default 3000, plus the --target sweep)");
  AddTargetOptions(pBackup, &pOptions->target);
  pCommands->push_back({pBackup, [pOptions, pWait](const CommandStreams& io) {
                          pOptions->bWaitGiven = pWait->count() > 0;
                          return RunBackup(*pOptions, io.out, io.err);
                        }});
}
