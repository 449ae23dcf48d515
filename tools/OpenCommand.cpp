#include "tools/OpenCommand.h"

#include <memory>
#include <ostream>
#include <string>

#include "platform/OpenUrl.h"
#include "tools/CommonOptions.h"
#include "tools/ExitCodes.h"
#include "formats/MacText.h"


int RunOpen(const OpenOptions& options, std::ostream& out, std::ostream& err) {
  uint8_t byMAC[6];
  if (!ParseMAC(options.sMAC, byMAC)) {
    err << "kesto open: MAC: \"" << options.sMAC << "\" is not a MAC address such as 00-1A-2B-3C-4D-5E\n";
    return kExitBadInput;
  }
  int iExitCode = kExitOk;
  auto pSession = CFinderSession::Open(options.target, err, &iExitCode);
  if (!pSession) return iExitCode;
  CKestoFinder& finder = pSession->Finder();
  if (!pSession->ProbeNow(err)) return kExitNetwork;
  const uint32_t dwWaitMs = pSession->WaitMs(options.iWaitMs, options.bWaitGiven);
  pSession->RunPasses(dwWaitMs, [&] { return FindDeviceByMAC(finder, byMAC) != nullptr; });
  const CKestoInfo* pInfo = FindDeviceByMAC(finder, byMAC);
  if (pInfo == nullptr) {
    err << "kesto open: no answer from " << FormatMAC(byMAC) << " within " << dwWaitMs << " ms\n";
    return kExitNotFound;
  }
  pSession->RunPasses(kSenderSettleMs, {});
  // The page address stays the record's; the warning says who else claims to be the device.
  if (WarnSeveralSenders(finder, byMAC, "kesto open", err))
    err << "kesto open: warning: the page at " << pInfo->GetIPText()
        << " may belong to another host than the device\n";
  const std::string sUrl = ConfigPageUrl(pInfo->GetIPAddress());
  if (pSession->CanJudgeSubnets() && !pSession->IsOnLocalSubnet(pInfo->GetIPAddress()))
    err << "kesto open: warning: " << pInfo->GetIPText()
        << " is outside every local subnet; the page may not load until the device gets an address here\n";
  if (options.bPrint) {
    out << sUrl << "\n";
    return kExitOk;
  }
  std::string sError;
  if (!platform::OpenUrl(sUrl, &sError)) {
    err << "kesto open: cannot open " << sUrl << ": " << sError << "\n";
    return kExitFailed;
  }
  return kExitOk;
}

void AddOpenCommand(CLI::App* pApp, KestoCommands* pCommands) {
  auto pOptions = std::make_shared<OpenOptions>();
  CLI::App* pOpen = pApp->add_subcommand("open", "Open the device's web page in the browser");
  pOpen->footer(kExitCodeHelp);
  pOpen->add_option("MAC", pOptions->sMAC, "The device, as 00-1A-2B-3C-4D-5E")->required();
  pOpen->add_flag("--print", pOptions->bPrint, "Print the address instead of opening it");
  CLI::Option* pWait = AddWaitOption(pOpen, "--wait", &pOptions->iWaitMs,
                                     "Bound in ms for finding the device (default 3000, plus the --target sweep)");
  AddTargetOptions(pOpen, &pOptions->target);
  pCommands->push_back({pOpen, [pOptions, pWait](const CommandStreams& io) {
                          pOptions->bWaitGiven = pWait->count() > 0;
                          return RunOpen(*pOptions, io.out, io.err);
                        }});
}
