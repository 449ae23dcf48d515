#include "tools/SetCommand.h"

#include <ostream>
#include <vector>

#include "discovery/KestoConfirmation.h"

#include "tools/ExitCodes.h"
#include "formats/MacText.h"
#include "plan/DeviceSetStep.h"

int RunSet(const SetOptions& options, std::ostream& out, std::ostream& err) {
  uint8_t byMAC[6];
  if (!ParseMAC(options.sMAC, byMAC)) {
    err << "kesto set: MAC: \"" << options.sMAC << "\" is not a MAC address such as 00-1A-2B-3C-4D-5E\n";
    return kExitBadInput;
  }
  CKestoSettingsChange request;
  std::string sError;
  if (!CSetRequest::Parse(options.fields, &request, &sError)) {
    err << "kesto set: " << sError << "\n";
    return kExitBadInput;
  }
  int iExitCode = kExitOk;
  auto pSession = CFinderSession::Open(options.target, err, &iExitCode);
  if (!pSession) return iExitCode;
  CKestoFinder& finder = pSession->Finder();
  const std::string sMAC = FormatMAC(byMAC);
  const uint32_t dwWaitMs = pSession->WaitMs(options.iWaitMs, options.bWaitGiven);

  if (!pSession->ProbeNow(err)) return kExitNetwork;
  pSession->RunPasses(dwWaitMs, [&] { return FindDeviceByMAC(finder, byMAC) != nullptr; });
  const CKestoInfo* pInfo = FindDeviceByMAC(finder, byMAC);
  if (pInfo == nullptr) {
    err << "kesto set: no answer from " << sMAC << " within " << dwWaitMs << " ms; nothing sent\n";
    return kExitNotFound;
  }

  // Other hosts answering the same probe for this MAC come in a moment later; wait for
  // them, so the settings go to every address and each must confirm.
  pSession->RunPasses(kSenderSettleMs, {});
  WarnSeveralSenders(finder, byMAC, "kesto set", err);

  // Built from the bytes the device sent, so whatever we do not set goes back unchanged.
  CDeviceSetStep step(byMAC, request);
  if (step.Send(finder) != CDeviceSetStep::SendResult::kSent) {
    err << "kesto set: the set-configuration datagram for " << sMAC << " could not be sent\n";
    return kExitNetwork;
  }
  if (options.bNoVerify) {
    out << "sent " << sMAC << "\n";
    return kExitOk;
  }
  const std::vector<platform::Ipv4Endpoint>& vecSentTo = step.SentTo();
  if (vecSentTo.empty()) {
    err << "kesto set: sent to " << sMAC << " by broadcast only (no address it answered from could be reached "
        << "directly), so no answer can confirm it\n";
    return kExitNotConfirmed;
  }

  // Only answers from the addresses sent to count, and every one of them must show the
  // new values: another host answering for this MAC cannot confirm on the device's behalf.
  if (!pSession->ProbeNow(err)) return kExitNetwork;
  const bool bConfirmed = pSession->RunPasses(dwWaitMs, [&] { return step.IsConfirmed(finder, dwWaitMs); });
  if (!bConfirmed) {
    const CKestoConfirmation& confirmation = step.Confirmation();
    const std::vector<platform::Ipv4Endpoint> confirmed = confirmation.GetConfirmed();
    err << "kesto set: sent to " << sMAC << " at " << FormatEndpoints(vecSentTo) << ", but "
        << FormatEndpoints(confirmation.GetUnconfirmed()) << " did not answer with the new values within " << dwWaitMs
        << " ms";
    if (!confirmed.empty()) err << " (confirmed by " << FormatEndpoints(confirmed) << " only)";
    err << "\n";
    return kExitNotConfirmed;
  }
  out << "confirmed " << sMAC << "\n";
  return kExitOk;
}
