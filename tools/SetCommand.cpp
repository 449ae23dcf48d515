#include "tools/SetCommand.h"

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tools/ChangeLogOption.h"
#include "tools/CommonOptions.h"
#include "tools/ExitCodes.h"
#include "tools/SetStepRun.h"
#include "formats/MacText.h"
#include "formats/TerminalText.h"
#include "plan/ConfigAddressCheck.h"

namespace {

// The address rule on what the request changes in the device's record; the other
// devices listed may hold an address the request gives it.
CConfigAddressCheck::Result CheckAddresses(const CKestoFinder& finder, const KESTO_RECORD& current,
                                           const CKestoSettingsChange& request) {
  KESTO_RECORD after = current;
  request.ApplyTo(after);
  std::vector<CConfigAddressCheck::OtherDevice> others;
  finder.VisitDevices([&](const CKestoInfo& entry) {
    const KESTO_RECORD& other = entry.GetRecord();
    if (MacKey(other.byMAC) == MacKey(current.byMAC)) return;
    const std::string sName = TerminalText(entry.GetName());
    others.push_back({other.dwIPAddress, (sName.empty() ? "" : sName + " ") + "(" + FormatMAC(other.byMAC) + ")"});
  });
  return CConfigAddressCheck::Check({after.dwIPAddress, after.dwNetMask, after.dwGateway},
                                    CConfigAddressCheck::Addresses{current.dwIPAddress, current.dwNetMask,
                                                                   current.dwGateway},
                                    others);
}

}  // namespace

int RunSet(const SetOptions& options, std::ostream& out, std::ostream& err) {
  uint8_t byMAC[6];
  if (!ParseMAC(options.sMAC, byMAC)) {
    err << "kesto set: MAC: \"" << options.sMAC << "\" is not a MAC address such as 00-1A-2B-3C-4D-5E\n";
    return kExitBadInput;
  }
  CKestoSettingsChange request;
  std::string sError;
  std::string sField;
  if (!CSetRequest::Parse(options.fields, &request, &sError, &sField)) {
    // Every field is set by the option of its own name.
    if (sField.empty())
      err << "kesto set: " << sError << ": use --name, --ip, --netmask, --gateway, --dns, --type, --protocol or --baud\n";
    else
      err << "kesto set: --" << WithoutControls(sError) << "\n";
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
  const CKestoInfo* pSettled = FindDeviceByMAC(finder, byMAC);
  if (const auto check = pSettled ? CheckAddresses(finder, pSettled->GetRecord(), request) : CConfigAddressCheck::Result{};
      check.problem != CConfigAddressCheck::kNone) {
    if (!options.bForce) {
      err << "kesto set: " << sMAC << ": " << check.sText << " Nothing was sent; --force sends it anyway.\n";
      return kExitBadInput;
    }
    err << "kesto set: warning: " << sMAC << ": " << check.sText << " Sent anyway (--force).\n";
  }

  // Built from the bytes the device sent, so whatever we do not set goes back unchanged.
  CDeviceSetStep step(byMAC, request);
  return SendAndConfirm(*pSession, step, {"kesto set", sMAC, dwWaitMs, !options.bNoVerify, ""}, out, err);
}

void AddSetCommand(CLI::App* pApp, KestoCommands* pCommands) {
  // Each field is sent only when its option is given, so each keeps its option to ask.
  struct Field {
    CLI::Option* pOption = nullptr;
    std::string sValue;
  };
  struct Binding {
    SetOptions options;
    Field name, ip, netmask, gateway, dns, type, protocol, baud;
    CLI::Option* pWait = nullptr;
  };
  auto p = std::make_shared<Binding>();
  CLI::App* pSet = pApp->add_subcommand(
      "set",
      "Change a device's settings and confirm them: sent by broadcast and to every address the MAC answered "
      "from; confirmed only when each of those addresses answers with the new values");
  pSet->footer(kExitCodeHelp);
  pSet->add_option("MAC", p->options.sMAC, "The device, as 00-1A-2B-3C-4D-5E (':' and lower case also taken)")
      ->required();
  p->name.pOption =
      pSet->add_option("--name", p->name.sValue, "Device name: Latin-1 characters only, at most 27 (as stored bytes)");
  p->ip.pOption = pSet->add_option("--ip", p->ip.sValue, "IP address a.b.c.d");
  p->netmask.pOption = pSet->add_option("--netmask", p->netmask.sValue, "Net mask a.b.c.d");
  p->gateway.pOption = pSet->add_option("--gateway", p->gateway.sValue, "Gateway a.b.c.d");
  p->dns.pOption = pSet->add_option("--dns", p->dns.sValue, "DNS server a.b.c.d");
  p->type.pOption = pSet->add_option("--type", p->type.sValue, TypeOptionWords(" or "));
  p->protocol.pOption =
      pSet->add_option("--protocol", p->protocol.sValue, "Pass-through protocol: " + ProtocolOptionWords(" or "));
  p->baud.pOption = pSet->add_option("--baud", p->baud.sValue, "Pass-through rate: " + BaudRatesText(" or "));
  p->pWait = AddWaitOption(pSet, "--wait", &p->options.iWaitMs,
                           "Bound in ms for finding the device and, again, for the confirmation (default 3000, plus "
                           "the --target sweep)");
  pSet->add_flag("--no-verify", p->options.bNoVerify, "Send once and do not wait for the new values");
  AddNoLogOption(pSet, &p->options.bNoLog);
  pSet->add_flag("--force", p->options.bForce,
                 "Send addresses the address rule refuses (a bad mask, a gateway outside the network, an address "
                 "another device holds, 0.0.0.0 or a broadcast address)");
  AddTargetOptions(pSet, &p->options.target);
  pCommands->push_back({pSet, [p](const CommandStreams& io) {
                          auto take = [](const Field& field, std::optional<std::string>* psField) {
                            if (field.pOption->count() > 0) *psField = field.sValue;
                          };
                          SetOptionsText& fields = p->options.fields;
                          take(p->name, &fields.sName);
                          take(p->ip, &fields.sIPAddress);
                          take(p->netmask, &fields.sNetMask);
                          take(p->gateway, &fields.sGateway);
                          take(p->dns, &fields.sDNS);
                          take(p->type, &fields.sType);
                          take(p->protocol, &fields.sProtocol);
                          take(p->baud, &fields.sBaud);
                          p->options.bWaitGiven = p->pWait->count() > 0;
                          OpenChangeLog("kesto set", p->options.bNoLog, io.err);
                          return RunSet(p->options, io.out, io.err);
                        }});
}
