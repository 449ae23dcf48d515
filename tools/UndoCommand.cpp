#include "tools/UndoCommand.h"

#include <memory>
#include <ostream>

#include "discovery/KestoSender.h"
#include "formats/MacText.h"
#include "plan/ChangeHistory.h"
#include "plan/ChangeLog.h"
#include "plan/ChangeLogEntry.h"
#include "plan/ChangeUndo.h"
#include "tools/ChangeLogOption.h"
#include "tools/CommonOptions.h"
#include "tools/ExitCodes.h"
#include "tools/SetStepRun.h"

int RunUndo(const UndoOptions& options, std::ostream& out, std::ostream& err) {
  std::array<uint8_t, 6> mac{};
  if (options.bLast == !options.sMAC.empty()) {
    err << "kesto undo: give a MAC or --last, not both\n";
    return kExitBadInput;
  }
  if (!options.bLast && !ParseMAC(options.sMAC, mac.data())) {
    err << "kesto undo: MAC: \"" << options.sMAC << "\" is not a MAC address such as 00-1A-2B-3C-4D-5E\n";
    return kExitBadInput;
  }
  std::string sPath;
  CChangeHistory history;
  if (!ReadChangeLog("kesto undo", err, &history, &sPath)) return kExitFailed;
  const LoggedChange* pChange = options.bLast ? history.Latest() : history.Latest(mac.data());
  if (pChange == nullptr) {
    err << "kesto undo: no change " << (options.bLast ? "" : "of " + FormatMAC(mac.data()) + " ") << "in " << sPath
        << "; nothing sent\n";
    return kExitNotFound;
  }
  const LoggedChange change = *pChange;
  const std::string sMAC = FormatMAC(change.send.mac.data());
  const CKestoSettingsChange request = UndoRequest(change);
  if (change.outcome == ChangeOutcome::kNotSent || request.IsEmpty()) {
    out << "the latest change of " << sMAC << ", " << ChangeSummary(change) << ", "
        << (request.IsEmpty() ? "changed no setting" : "was never sent") << "; nothing to take back\n";
    return kExitOk;
  }
  out << "undo of " << sMAC << ", the change " << ChangeSummary(change) << ":\n";
  for (const std::string& sField : UndoFieldTexts(change)) out << "  " << sField << "\n";
  if (!change.TookEffect())
    out << "note: " << (change.outcome ? "that change was " + change.OutcomeText() : "its outcome is unknown")
        << ", so the device may never have taken it; its old values are sent all the same\n";
  if (!options.bYes) {
    out << "nothing sent; add --yes to send it\n";
    return kExitPending;
  }

  OpenChangeLog("kesto undo", options.bNoLog, err);
  CChangeLog::Process().SetUndoOf(change.send.sId);
  int iExitCode = kExitOk;
  auto pSession = CFinderSession::Open(options.target, err, &iExitCode);
  if (!pSession) return iExitCode;
  CKestoFinder& finder = pSession->Finder();
  const uint32_t dwWaitMs = pSession->WaitMs(options.iWaitMs, options.bWaitGiven);
  if (!pSession->ProbeNow(err)) return kExitNetwork;
  pSession->RunPasses(dwWaitMs, [&] { return FindDeviceByMAC(finder, change.send.mac.data()) != nullptr; });
  const CKestoInfo* pInfo = FindDeviceByMAC(finder, change.send.mac.data());
  if (pInfo == nullptr) {
    // The change may have left it where no answer reaches us; the datagram is keyed by MAC,
    // so the broadcast still reaches it on this link.
    KESTO_RECORD record = change.send.sent;
    request.ApplyTo(record);
    CChangeLogEntry entry = CChangeLogEntry::Begin(change.send.sent, record);
    if (finder.SendConfig(record) < 0) {
      entry.Finish(ChangeOutcome::kNotSent);
      err << "kesto undo: no answer from " << sMAC << ", and the set-configuration datagram could not be sent\n";
      return kExitNetwork;
    }
    err << "kesto undo: no answer from " << sMAC << " within " << dwWaitMs
        << " ms; its old values went by broadcast, written over the record the change sent, "
        << "but nothing can confirm them\n";
    return kExitNotConfirmed;
  }
  if (request.IsAppliedIn(pInfo->GetRecord())) {
    out << sMAC << " already has its old values; nothing sent\n";
    return kExitOk;
  }
  pSession->RunPasses(kSenderSettleMs, {});
  WarnSeveralSenders(finder, change.send.mac.data(), "kesto undo", err);
  CDeviceSetStep step(change.send.mac.data(), request);
  return SendAndConfirm(*pSession, step, {"kesto undo", sMAC, dwWaitMs, true, ": its old values are back"}, out, err);
}

void AddUndoCommand(CLI::App* pApp, KestoCommands* pCommands) {
  auto p = std::make_shared<UndoOptions>();
  CLI::App* pUndo = pApp->add_subcommand(
      "undo", "Show, then with --yes send back, the values a device had before its latest logged change");
  pUndo->footer(std::string("The change comes from the change log (see kesto log). Only the fields that change "
                            "altered go back;\nthey go by broadcast keyed by MAC, so a device left at an address "
                            "that cannot be reached gets them too.\n") +
                "Exit codes: 0 confirmed, or nothing to take back; 1 other failure; 2 bad input (nothing sent);\n"
                "3 sent but not confirmed; 4 no such change in the log (nothing sent); 5 network error;\n"
                "10 without --yes: what would go back was shown.");
  CLI::Option* pMAC = pUndo->add_option("MAC", p->sMAC, "The device, as 00-1A-2B-3C-4D-5E");
  pUndo->add_flag("--last", p->bLast, "The latest change of any device")->excludes(pMAC);
  pUndo->add_flag("--yes", p->bYes, "Send the old values; without it only what goes back is shown");
  CLI::Option* pWait =
      AddWaitOption(pUndo, "--wait", &p->iWaitMs,
                    "Bound in ms for finding the device and, again, for the confirmation (default 3000)");
  AddNoLogOption(pUndo, &p->bNoLog);
  AddTargetOptions(pUndo, &p->target);
  pCommands->push_back({pUndo, [p, pWait](const CommandStreams& io) {
                          p->bWaitGiven = pWait->count() > 0;
                          return RunUndo(*p, io.out, io.err);
                        }});
}
