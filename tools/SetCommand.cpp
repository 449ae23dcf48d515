#include "tools/SetCommand.h"

#include <ostream>

#include "tools/ExitCodes.h"
#include "tools/formats/MacText.h"
#include "tools/plan/DeviceSetStep.h"

int RunSet(const SetOptions& options, std::ostream& out, std::ostream& err) {
  uint8_t byMAC[6];
  if (!ParseMAC(options.sMAC, byMAC)) {
    err << "kesto set: MAC: \"" << options.sMAC << "\" is not a MAC address such as 00-1A-2B-3C-4D-5E\n";
    return kExitBadInput;
  }
  SetRequest request;
  std::string sError;
  if (!SetRequest::Parse(options.fields, &request, &sError)) {
    err << "kesto set: " << sError << "\n";
    return kExitBadInput;
  }
  int iExitCode = kExitOk;
  auto pSession = FinderSession::Open(options.target, err, &iExitCode);
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

  DeviceSetStep step(byMAC, request);
  if (step.Send(finder) != DeviceSetStep::SendResult::kSent) {
    err << "kesto set: the set-configuration datagram for " << sMAC << " could not be sent\n";
    return kExitNetwork;
  }
  if (options.bNoVerify) {
    out << "sent " << sMAC << "\n";
    return kExitOk;
  }

  if (!pSession->ProbeNow(err)) return kExitNetwork;
  const bool bConfirmed = pSession->RunPasses(dwWaitMs, [&] { return step.IsConfirmed(finder); });
  if (!bConfirmed) {
    err << "kesto set: sent to " << sMAC << ", but it did not answer with the new values within " << dwWaitMs
        << " ms\n";
    return kExitNotConfirmed;
  }
  out << "confirmed " << sMAC << "\n";
  return kExitOk;
}
