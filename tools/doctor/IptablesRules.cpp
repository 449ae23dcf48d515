#include "tools/doctor/IptablesRules.h"

#include <map>
#include <sstream>
#include <vector>

namespace {

enum class Match { kNo, kYes, kMaybe };
using Words = std::vector<std::string>;

// A chain followed by jumps deeper than this is taken as returning.
constexpr int kMaxDepth = 32;

Words Split(const std::string& sLine) {
  Words words;
  std::istringstream in(sLine);
  for (std::string sWord; in >> sWord;) words.push_back(sWord);
  return words;
}

bool PortIn(const std::string& sPorts, uint16_t wPort) {
  // "1444", "1000:2000", or a multiport list "53,1444"
  std::istringstream in(sPorts);
  for (std::string sItem; std::getline(in, sItem, ',');) {
    const size_t nColon = sItem.find(':');
    try {
      const unsigned long lLow = std::stoul(sItem.substr(0, nColon));
      const unsigned long lHigh = nColon == std::string::npos ? lLow : std::stoul(sItem.substr(nColon + 1));
      if (lLow <= wPort && wPort <= lHigh) return true;
    } catch (const std::exception&) {
    }
  }
  return false;
}

bool StateHasNew(const std::string& sStates) { return ("," + sStates + ",").find(",NEW,") != std::string::npos; }

struct Rule {
  Words words;  // after "-A CHAIN"
  int iNumber = 0;
};

class CIptablesWalk {
 public:
  CIptablesWalk(const std::map<std::string, std::vector<Rule>>& chains, uint16_t wPort, bool bMaybeMatches)
      : m_chains(chains), m_wPort(wPort), m_bMaybeMatches(bMaybeMatches) {}

  // "ACCEPT", "DROP" (with *psHow), or "" when the chain returns.
  std::string Chain(const std::string& sChain, int iDepth, std::string* psHow) const {
    const auto it = m_chains.find(sChain);
    if (it == m_chains.end() || iDepth > kMaxDepth) return {};
    for (const Rule& rule : it->second) {
      std::string sTarget;
      bool bGoto = false;
      if (!Matches(rule.words, &sTarget, &bGoto)) continue;
      if (sTarget == "ACCEPT") return "ACCEPT";
      if (sTarget == "DROP" || sTarget == "REJECT") {
        *psHow = "rule " + std::to_string(rule.iNumber) + " in chain " + sChain + ": " + sTarget;
        return "DROP";
      }
      if (sTarget == "RETURN") return {};
      if (m_chains.count(sTarget) != 0) {
        const std::string sOutcome = Chain(sTarget, iDepth + 1, psHow);
        if (!sOutcome.empty() || bGoto) return sOutcome;
      }
    }
    return {};
  }

 private:
  // Whether every match of the rule holds for the answer; fills its target.
  bool Matches(const Words& words, std::string* psTarget, bool* pbGoto) const {
    bool bNegate = false;
    for (size_t i = 0; i < words.size(); ++i) {
      const std::string& sWord = words[i];
      if (sWord == "!") {
        bNegate = true;
        continue;
      }
      const std::string sValue = i + 1 < words.size() ? words[i + 1] : "";
      Match match = Match::kMaybe;
      bool bTakesValue = true;
      if (sWord == "-j" || sWord == "-g" || sWord == "--jump" || sWord == "--goto") {
        *psTarget = sValue;
        *pbGoto = sWord == "-g" || sWord == "--goto";
        return true;  // what follows are the target's own options
      } else if (sWord == "-p" || sWord == "--protocol") {
        match = (sValue == "udp" || sValue == "17" || sValue == "all") ? Match::kYes : Match::kNo;
      } else if (sWord == "-i" || sWord == "--in-interface") {
        match = sValue == "lo" ? Match::kNo : Match::kMaybe;
      } else if (sWord == "--sport" || sWord == "--source-port" || sWord == "--sports" || sWord == "--source-ports") {
        match = PortIn(sValue, m_wPort) ? Match::kYes : Match::kNo;
      } else if (sWord == "--ctstate" || sWord == "--state") {
        match = StateHasNew(sValue) ? Match::kYes : Match::kNo;
      } else if (sWord == "-m" || sWord == "--match") {
        match = Match::kYes;  // the module's own options follow
      } else if (sWord == "-s" || sWord == "-d" || sWord == "--source" || sWord == "--destination") {
        match = sValue == "0.0.0.0/0" ? Match::kYes : Match::kMaybe;
      } else if (sWord.rfind("-", 0) != 0) {
        bTakesValue = false;  // a further value of the previous option
        continue;
      }
      if (bNegate && match != Match::kMaybe) match = match == Match::kYes ? Match::kNo : Match::kYes;
      bNegate = false;
      if (match == Match::kNo || (match == Match::kMaybe && !m_bMaybeMatches)) return false;
      if (bTakesValue) ++i;
    }
    return false;  // no target: a counting rule
  }

  const std::map<std::string, std::vector<Rule>>& m_chains;
  uint16_t m_wPort;
  bool m_bMaybeMatches;
};

}  // namespace

NftVerdict JudgeIptablesRules(const std::string& sRules, uint16_t wDevicePort) {
  NftVerdict verdict;
  std::map<std::string, std::vector<Rule>> chains;
  bool bPolicyDrop = false;
  std::istringstream lines(sRules);
  for (std::string sLine; std::getline(lines, sLine);) {
    Words words = Split(sLine);
    if (words.size() < 2) continue;
    if (words[1].rfind("ufw-", 0) == 0) verdict.manager = NftVerdict::kUfw;
    if (words[0] == "-P" && words[1] == "INPUT") bPolicyDrop = words.size() > 2 && words[2] == "DROP";
    if (words[0] == "-N" || words[0] == "-P") chains[words[1]];
    if (words[0] != "-A") continue;
    std::vector<Rule>& rules = chains[words[1]];
    rules.push_back({Words(words.begin() + 2, words.end()), static_cast<int>(rules.size()) + 1});
  }
  if (chains.count("INPUT") == 0) return verdict;
  verdict.nInputChains = 1;
  bool bDropped[2] = {false, false};
  std::string sHow[2];
  for (int iLoose = 0; iLoose < 2; ++iLoose) {
    const std::string sOutcome = CIptablesWalk(chains, wDevicePort, iLoose == 1).Chain("INPUT", 0, &sHow[iLoose]);
    bDropped[iLoose] = sOutcome == "DROP" || (sOutcome.empty() && bPolicyDrop);
    if (sOutcome.empty() && bPolicyDrop) sHow[iLoose] = "policy DROP";
  }
  if (!bDropped[0] && !bDropped[1]) return verdict;
  verdict.outcome = bDropped[0] && bDropped[1] ? NftVerdict::kDropped : NftVerdict::kDepends;
  verdict.dropping.push_back({"ip", "filter", "INPUT", bDropped[0] ? sHow[0] : sHow[1]});
  return verdict;
}

std::string IptablesAcceptCommand(uint16_t wDevicePort) {
  return "iptables -I INPUT -p udp --sport " + std::to_string(wDevicePort) + " -j ACCEPT";
}
