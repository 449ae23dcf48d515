#include "tools/SetStepRun.h"

#include <ostream>

#include "tools/ExitCodes.h"

int SendAndConfirm(CFinderSession& session, CDeviceSetStep& step, const SetStepRun& run, std::ostream& out,
                   std::ostream& err) {
  CKestoFinder& finder = session.Finder();
  if (step.Send(finder) != CDeviceSetStep::SendResult::kSent) {
    err << run.pszCommand << ": the set-configuration datagram for " << run.sMAC << " could not be sent\n";
    return kExitNetwork;
  }
  if (!run.bVerify) {
    out << "sent " << run.sMAC << "\n";
    return kExitOk;
  }
  const CKestoConfirmation& confirmation = step.Confirmation();
  if (step.SentTo().empty()) {
    err << run.pszCommand << ": " << run.sMAC << ": " << confirmation.Reason() << "\n";
    return kExitNotConfirmed;
  }
  // Every address answering for this MAC must show the values: another host answering
  // for it cannot confirm on the device's behalf. Too many addresses to follow settles it at once.
  if (!session.ProbeNow(err)) return kExitNetwork;
  const bool bSettled = session.RunPasses(
      run.dwWaitMs, [&] { return step.IsConfirmed(finder, run.dwWaitMs) || confirmation.IsUntracked(); });
  if (!bSettled || !step.IsConfirmed(finder, run.dwWaitMs)) {
    err << run.pszCommand << ": sent to " << run.sMAC << " at " << FormatEndpoints(step.SentTo()) << ", but "
        << confirmation.Reason(run.dwWaitMs) << "\n";
    return kExitNotConfirmed;
  }
  out << "confirmed " << run.sMAC << run.pszConfirmedNote << "\n";
  return kExitOk;
}
