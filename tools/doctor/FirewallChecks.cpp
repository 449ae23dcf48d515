#include "tools/doctor/FirewallChecks.h"

#include <algorithm>
#include <sstream>

#include <nlohmann/json.hpp>

#include "formats/TerminalText.h"
#include "tools/doctor/IptablesRules.h"
#include "tools/doctor/NftRuleset.h"

const std::vector<std::string> kNftListCommand = {"nft", "-j", "list", "ruleset"};
const std::vector<std::string> kIptablesListCommand = {"iptables", "-S"};
const std::vector<std::string> kWindowsProfileCommand = {"netsh", "advfirewall", "show", "currentprofile"};

namespace {

// The first line of a program's complaint, made safe to print.
std::string FirstLine(const std::string& sText) {
  const std::string sLine = sText.substr(0, sText.find('\n'));
  return TerminalText(sLine.substr(0, 200));
}

std::string ChainText(const NftVerdict::Chain& chain) {
  return "table " + TerminalText(chain.sFamily) + " " + TerminalText(chain.sTable) + ", chain " +
         TerminalText(chain.sChain) + " (" + TerminalText(chain.sHow) + ")";
}

std::vector<std::string> Fixes(const NftVerdict& verdict, uint16_t wPort, bool bIptables) {
  switch (verdict.manager) {
    case NftVerdict::kUfw: return {UfwAcceptCommand(wPort)};
    case NftVerdict::kFirewalld: return {FirewalldAcceptCommand(wPort)};
    case NftVerdict::kPlainNft: break;
  }
  if (bIptables) return {IptablesAcceptCommand(wPort), "to keep it after a restart, save it as your system does"};
  std::vector<std::string> fixes;
  for (const NftVerdict::Chain& chain : verdict.dropping) fixes.push_back(TerminalText(NftAcceptCommand(chain, wPort)));
  fixes.push_back("to keep it after a restart, add the rule to /etc/nftables.conf");
  return fixes;
}

const char* ManagerText(NftVerdict::Manager manager) {
  switch (manager) {
    case NftVerdict::kUfw: return " (managed by ufw)";
    case NftVerdict::kFirewalld: return " (managed by firewalld)";
    case NftVerdict::kPlainNft: break;
  }
  return "";
}

// The line for a judged ruleset, with the fix for whatever manages it.
DoctorChecks VerdictChecks(const NftVerdict& verdict, uint16_t wDevicePort, bool bIptables) {
  const std::string sPort = std::to_string(wDevicePort);
  if (verdict.nInputChains == 0)
    return {{"firewall", DoctorCheck::kOk,
             std::string("no firewall filters what comes in (no ") + (bIptables ? "iptables" : "nft") + " input chain)",
             {}}};
  if (verdict.outcome == NftVerdict::kPasses) {
    return {{"firewall", DoctorCheck::kOk,
             "the firewall" + std::string(ManagerText(verdict.manager)) + " lets UDP from port " + sPort + " in (" +
                 std::to_string(verdict.nInputChains) + " input chains read)",
             {}}};
  }
  std::string sChains;
  for (const NftVerdict::Chain& chain : verdict.dropping) sChains += (sChains.empty() ? "" : "; ") + ChainText(chain);
  if (verdict.outcome == NftVerdict::kDropped) {
    return {{"firewall", DoctorCheck::kProblem,
             "the firewall" + std::string(ManagerText(verdict.manager)) + " drops the devices' answers (UDP from port " +
                 sPort + "): " + sChains,
             Fixes(verdict, wDevicePort, bIptables)}};
  }
  return {{"firewall", DoctorCheck::kWarning,
           "the firewall" + std::string(ManagerText(verdict.manager)) + " drops UDP from port " + sPort +
               " on some adapters or from some senders: " + sChains,
           Fixes(verdict, wDevicePort, bIptables)}};
}

}  // namespace

DoctorChecks NftFirewallChecks(const platform::ProgramResult& listing, uint16_t wDevicePort) {
  const std::string sPort = std::to_string(wDevicePort);
  if (!listing.bStarted) {
    return {{"firewall", DoctorCheck::kUnknown, "nft cannot be run (" + TerminalText(listing.sError) +
                                                    "): the firewall rules were not read",
             {"as root: iptables -S INPUT; a DROP policy or a REJECT rule needs: iptables -I INPUT -p udp --sport " +
              sPort + " -j ACCEPT"}}};
  }
  if (listing.bTimedOut || listing.iExitCode != 0) {
    const std::string sWhy = listing.bTimedOut ? "nft did not answer in time" : FirstLine(listing.sErrors);
    return {{"firewall", DoctorCheck::kUnknown, "the firewall rules cannot be read without root (" + sWhy + ")",
             {"sudo kesto doctor", "or: sudo nft list ruleset, and look for input chains that drop UDP from port " +
                                       sPort,
              "with ufw: " + UfwAcceptCommand(wDevicePort), "with firewalld: " + FirewalldAcceptCommand(wDevicePort)}}};
  }
  if (listing.bCut) return {{"firewall", DoctorCheck::kUnknown, "the ruleset is too long to read", {}}};
  NftVerdict verdict;
  std::string sError;
  const nlohmann::json ruleset = nlohmann::json::parse(listing.sOutput, nullptr, false);
  if (ruleset.is_discarded() || !JudgeNftRuleset(ruleset, wDevicePort, &verdict, &sError)) {
    return {{"firewall", DoctorCheck::kUnknown,
             "nft printed no readable ruleset" + (sError.empty() ? std::string() : ": " + sError), {}}};
  }
  return VerdictChecks(verdict, wDevicePort, false);
}

DoctorChecks WindowsFirewallChecks(const platform::ProgramResult& profile, uint16_t wDevicePort,
                                   const std::string& sProgram) {
  // A path with a quote or a control character could not be typed into the command (nor
  // printed as it is): the rule then holds for any program.
  const bool bProgram = !sProgram.empty() && std::none_of(sProgram.begin(), sProgram.end(), [](char c) {
    return c == '"' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
  });
  const std::string sRule = "netsh advfirewall firewall add rule name=\"Kesto devices\" dir=in action=allow " +
                            (bProgram ? "program=\"" + sProgram + "\" " : std::string()) +
                            "protocol=UDP remoteport=" + std::to_string(wDevicePort) + " (as administrator)";
  if (!profile.bStarted || profile.iExitCode != 0 || profile.bTimedOut) {
    return {{"firewall", DoctorCheck::kUnknown, "the Windows firewall profile cannot be read", {sRule}}};
  }
  // "Public Profile Settings:", then "State  ON" and "Firewall Policy  BlockInbound,AllowOutbound".
  std::istringstream lines(profile.sOutput);
  std::string sLine, sProfile, sState, sPolicy;
  while (std::getline(lines, sLine)) {
    if (!sLine.empty() && sLine.back() == '\r') sLine.pop_back();
    if (const size_t n = sLine.find(" Profile Settings"); n != std::string::npos && sProfile.empty())
      sProfile = sLine.substr(0, n);
    auto valueOf = [&](const char* pszKey) {
      const std::string sRest = sLine.substr(std::string(pszKey).size());
      return sRest.substr(std::min(sRest.size(), sRest.find_first_not_of(' ')));
    };
    if (sLine.rfind("State ", 0) == 0 && sState.empty()) sState = valueOf("State");
    if (sLine.rfind("Firewall Policy ", 0) == 0 && sPolicy.empty()) sPolicy = valueOf("Firewall Policy");
  }
  const std::string sText = "Windows firewall, " + TerminalText(sProfile.empty() ? "current" : sProfile) +
                            " profile: " + TerminalText(sState.empty() ? "?" : sState) +
                            (sPolicy.empty() ? "" : ", " + TerminalText(sPolicy));
  if (sState == "OFF") return {{"firewall", DoctorCheck::kOk, sText, {}}};
  return {{"firewall", DoctorCheck::kUnknown,
           sText + ": the answers get in only if a rule or the first-start prompt allowed this program", {sRule}}};
}

DoctorChecks IptablesFirewallChecks(const platform::ProgramResult& rules, uint16_t wDevicePort) {
  if (!rules.bStarted) {
    return {{"firewall", DoctorCheck::kUnknown, "neither nft nor iptables can be run: the firewall rules were not read",
             {}}};
  }
  if (rules.bTimedOut || rules.iExitCode != 0 || rules.bCut) {
    return {{"firewall", DoctorCheck::kUnknown,
             "the firewall rules cannot be read without root (" +
                 (rules.bTimedOut ? std::string("iptables did not answer in time") : FirstLine(rules.sErrors)) + ")",
             {"sudo kesto doctor", "with ufw: " + UfwAcceptCommand(wDevicePort),
              "else: " + IptablesAcceptCommand(wDevicePort)}}};
  }
  return VerdictChecks(JudgeIptablesRules(rules.sOutput, wDevicePort), wDevicePort, true);
}
