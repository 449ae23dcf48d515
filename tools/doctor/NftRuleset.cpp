#include "tools/doctor/NftRuleset.h"

#include <map>
#include <optional>

namespace {

using json = nlohmann::json;

enum class Match { kNo, kYes, kMaybe };

// A chain followed by jump or goto deeper than this is taken as returning (nft itself refuses loops).
constexpr int kMaxDepth = 32;

// The answer's values for the left side of a match, names and numbers alike.
struct LeftValue {
  enum Kind { kValues, kUnknown, kOtherProtocol, kInterface } kind = kUnknown;
  std::vector<json> values;
};

LeftValue Values(std::vector<json> values) { return {LeftValue::kValues, std::move(values)}; }

LeftValue ValueOf(const json& left, uint16_t wPort) {
  if (!left.is_object()) return {};
  if (const auto it = left.find("payload"); it != left.end() && it->is_object()) {
    const std::string sProtocol = it->value("protocol", "");
    const std::string sField = it->value("field", "");
    if (sProtocol == "udp" || sProtocol == "th") return sField == "sport" ? Values({wPort}) : LeftValue{};
    if (sProtocol == "ip") {
      if (sField == "protocol") return Values({"udp", 17});
      if (sField == "version") return Values({4});
      return {};
    }
    // A header the answer does not have: nft's implied protocol test fails.
    if (!sProtocol.empty()) return {LeftValue::kOtherProtocol, {}};
    return {};
  }
  if (const auto it = left.find("meta"); it != left.end() && it->is_object()) {
    const std::string sKey = it->value("key", "");
    if (sKey == "l4proto") return Values({"udp", 17});
    if (sKey == "nfproto") return Values({"ipv4", 2});
    if (sKey == "protocol") return Values({"ip", 0x0800});
    if (sKey == "pkttype") return Values({"host", 0});
    if (sKey == "iifname" || sKey == "iif") return {LeftValue::kInterface, {}};
    return {};
  }
  if (const auto it = left.find("ct"); it != left.end() && it->is_object()) {
    const std::string sKey = it->value("key", "");
    if (sKey == "state") return Values({"new"});
    if (sKey == "direction") return Values({"original"});
    if (sKey == "status") return Values({});  // a new, untranslated connection has none of the status bits
    return {};
  }
  return {};
}

Match Contains(const std::vector<json>& values, const json& right);

Match ContainsElement(const std::vector<json>& values, const json& element) {
  if (element.is_object()) {
    if (const auto it = element.find("elem"); it != element.end() && it->is_object() && it->contains("val"))
      return ContainsElement(values, (*it)["val"]);
    if (const auto it = element.find("range"); it != element.end() && it->is_array() && it->size() == 2) {
      const json& low = (*it)[0];
      const json& high = (*it)[1];
      if (!low.is_number() || !high.is_number()) return Match::kMaybe;
      for (const json& value : values)
        if (value.is_number() && low <= value && value <= high) return Match::kYes;
      return Match::kNo;
    }
    if (element.contains("set")) return Contains(values, element);
    return Match::kMaybe;  // a prefix, a named set, an expression
  }
  if (element.is_array()) return Contains(values, json{{"set", element}});
  for (const json& value : values)
    if (value == element) return Match::kYes;
  return Match::kNo;
}

Match Contains(const std::vector<json>& values, const json& right) {
  const json* pElements = nullptr;
  if (right.is_array()) pElements = &right;
  else if (right.is_object() && right.contains("set") && right["set"].is_array()) pElements = &right["set"];
  if (pElements == nullptr) {
    if (right.is_object() && right.contains("set")) return ContainsElement(values, right["set"]);
    return ContainsElement(values, right);
  }
  Match result = Match::kNo;
  for (const json& element : *pElements) {
    const Match one = ContainsElement(values, element);
    if (one == Match::kYes) return Match::kYes;
    if (one == Match::kMaybe) result = Match::kMaybe;
  }
  return result;
}

// "lo" alone is the one adapter name the answer is known not to arrive on.
Match ContainsInterface(const json& right) {
  if (right == "lo") return Match::kNo;
  if (right.is_object() && right.contains("set") && right["set"].is_array()) {
    for (const json& element : right["set"])
      if (element != "lo") return Match::kMaybe;
    return Match::kNo;
  }
  return Match::kMaybe;
}

Match MatchOf(const json& match, uint16_t wPort) {
  if (!match.is_object() || !match.contains("left") || !match.contains("right")) return Match::kMaybe;
  const LeftValue left = ValueOf(match["left"], wPort);
  if (left.kind == LeftValue::kOtherProtocol) return Match::kNo;
  if (left.kind == LeftValue::kUnknown) return Match::kMaybe;
  const std::string sOp = match.value("op", "==");
  Match contained = left.kind == LeftValue::kInterface ? ContainsInterface(match["right"])
                                                        : Contains(left.values, match["right"]);
  if (sOp == "==" || sOp == "in") return contained;
  if (sOp == "!=") {
    if (contained == Match::kMaybe) return Match::kMaybe;
    return contained == Match::kYes ? Match::kNo : Match::kYes;
  }
  return Match::kMaybe;
}

struct Outcome {
  enum Kind { kAccept, kDrop, kReturn } kind = kReturn;
  std::string sHow;
};

using RuleList = std::vector<const json*>;
using ChainMap = std::map<std::string, RuleList>;

std::string ChainKey(const std::string& sFamily, const std::string& sTable, const std::string& sChain) {
  return sFamily + '\n' + sTable + '\n' + sChain;
}

class CRuleWalk {
 public:
  CRuleWalk(const ChainMap& chains, uint16_t wPort, bool bMaybeMatches)
      : m_chains(chains), m_wPort(wPort), m_bMaybeMatches(bMaybeMatches) {}

  Outcome Chain(const std::string& sFamily, const std::string& sTable, const std::string& sChain, int iDepth) const {
    const auto it = m_chains.find(ChainKey(sFamily, sTable, sChain));
    if (it == m_chains.end() || iDepth > kMaxDepth) return {};
    for (const json* pRule : it->second) {
      const json& exprs = (*pRule)["expr"];
      const std::string sWhere = "rule " + std::to_string(pRule->value("handle", 0)) + " in chain " + sChain;
      for (const json& statement : exprs) {
        if (!statement.is_object() || statement.empty()) continue;
        const std::string& sKind = statement.begin().key();
        const json& body = statement.begin().value();
        // An iptables match translated by iptables-nft cannot be read: it may or may not match.
        const bool bXtMatch = sKind == "xt" && body.is_object() && body.value("type", "") == "match";
        if (sKind == "match" || bXtMatch) {
          const Match match = bXtMatch ? Match::kMaybe : MatchOf(body, m_wPort);
          if (match == Match::kNo || (match == Match::kMaybe && !m_bMaybeMatches)) break;
          continue;
        }
        std::optional<Outcome> outcome = Verdict(sKind, body, sFamily, sTable, sWhere, iDepth);
        if (sKind == "vmap") outcome = Vmap(body, sFamily, sTable, sWhere, iDepth);
        if (sKind == "xt") outcome = Xt(body, sWhere);
        if (!outcome) continue;
        if (outcome->kind == Outcome::kReturn && outcome->sHow == kGoOn) break;
        return *outcome;
      }
    }
    return {};
  }

 private:
  static constexpr const char* kGoOn = "\n";  // a jump that came back: the next rule

  std::optional<Outcome> Verdict(const std::string& sKind, const json& body, const std::string& sFamily,
                                 const std::string& sTable, const std::string& sWhere, int iDepth) const {
    if (sKind == "accept") return Outcome{Outcome::kAccept, sWhere + ": accept"};
    if (sKind == "drop") return Outcome{Outcome::kDrop, sWhere + ": drop"};
    if (sKind == "reject") return Outcome{Outcome::kDrop, sWhere + ": reject"};
    if (sKind == "return") return Outcome{};
    if ((sKind == "jump" || sKind == "goto") && body.is_object() && body.contains("target") &&
        body["target"].is_string()) {
      Outcome called = Chain(sFamily, sTable, body["target"].get<std::string>(), iDepth + 1);
      // A chain reached by goto returns for the chain that went there.
      if (called.kind == Outcome::kReturn && sKind == "jump") return Outcome{Outcome::kReturn, kGoOn};
      return called;
    }
    return std::nullopt;
  }

  // `ct state vmap { established : accept, invalid : drop }` and the like.
  std::optional<Outcome> Vmap(const json& body, const std::string& sFamily, const std::string& sTable,
                              const std::string& sWhere, int iDepth) const {
    if (!body.is_object() || !body.contains("key") || !body.contains("data")) return std::nullopt;
    const LeftValue key = ValueOf(body["key"], m_wPort);
    const json& data = body["data"];
    if (key.kind != LeftValue::kValues || !data.is_object() || !data.contains("set") || !data["set"].is_array())
      return std::nullopt;
    for (const json& pair : data["set"]) {
      if (!pair.is_array() || pair.size() != 2 || !pair[1].is_object() || pair[1].empty()) continue;
      if (ContainsElement(key.values, pair[0]) != Match::kYes) continue;
      return Verdict(pair[1].begin().key(), pair[1].begin().value(), sFamily, sTable, sWhere, iDepth);
    }
    return std::nullopt;
  }

  // iptables rules translated by iptables-nft: their matches cannot be read, their targets can.
  std::optional<Outcome> Xt(const json& body, const std::string& sWhere) const {
    if (!body.is_object()) return std::nullopt;
    const std::string sName = body.value("name", "");
    if (body.value("type", "") != "target") return std::nullopt;
    if (sName == "REJECT" || sName == "DROP") return Outcome{Outcome::kDrop, sWhere + ": " + sName};
    if (sName == "ACCEPT") return Outcome{Outcome::kAccept, sWhere + ": " + sName};
    return std::nullopt;
  }

  const ChainMap& m_chains;
  uint16_t m_wPort;
  bool m_bMaybeMatches;
};

struct BaseChain {
  std::string sFamily, sTable, sName;
  bool bPolicyDrop = false;
};

// Runs the answer through every input chain; fills the dropping ones.
bool Dropped(const ChainMap& chains, const std::vector<BaseChain>& bases, uint16_t wPort, bool bMaybeMatches,
             std::vector<NftVerdict::Chain>* pDropping) {
  const CRuleWalk walk(chains, wPort, bMaybeMatches);
  for (const BaseChain& base : bases) {
    Outcome outcome = walk.Chain(base.sFamily, base.sTable, base.sName, 0);
    if (outcome.kind == Outcome::kReturn && base.bPolicyDrop) outcome = {Outcome::kDrop, "policy drop"};
    if (outcome.kind == Outcome::kDrop) pDropping->push_back({base.sFamily, base.sTable, base.sName, outcome.sHow});
  }
  return !pDropping->empty();
}

}  // namespace

bool JudgeNftRuleset(const json& ruleset, uint16_t wDevicePort, NftVerdict* pVerdict, std::string* psError) {
  if (!ruleset.is_object() || !ruleset.contains("nftables") || !ruleset["nftables"].is_array()) {
    *psError = "not an nft ruleset listing (no \"nftables\" array)";
    return false;
  }
  *pVerdict = NftVerdict{};
  ChainMap chains;
  std::vector<BaseChain> bases;
  for (const json& item : ruleset["nftables"]) {
    if (!item.is_object()) continue;
    if (const auto it = item.find("table"); it != item.end() && it->is_object()) {
      if (it->value("name", "") == "firewalld") pVerdict->manager = NftVerdict::kFirewalld;
    } else if (const auto itChain = item.find("chain"); itChain != item.end() && itChain->is_object()) {
      const json& chain = *itChain;
      const std::string sFamily = chain.value("family", ""), sTable = chain.value("table", "");
      const std::string sName = chain.value("name", "");
      chains[ChainKey(sFamily, sTable, sName)];
      if (sName.rfind("ufw-", 0) == 0 && pVerdict->manager == NftVerdict::kPlainNft) pVerdict->manager = NftVerdict::kUfw;
      // Only filter chains on the input hook of IPv4 families judge the answer.
      if (chain.value("hook", "") != "input" || chain.value("type", "filter") != "filter") continue;
      if (sFamily != "ip" && sFamily != "inet") continue;
      bases.push_back({sFamily, sTable, sName, chain.value("policy", "accept") == "drop"});
    } else if (const auto itRule = item.find("rule"); itRule != item.end() && itRule->is_object()) {
      const json& rule = *itRule;
      if (!rule.contains("expr") || !rule["expr"].is_array()) continue;
      chains[ChainKey(rule.value("family", ""), rule.value("table", ""), rule.value("chain", ""))].push_back(&rule);
    }
  }
  pVerdict->nInputChains = static_cast<int>(bases.size());
  std::vector<NftVerdict::Chain> strict, loose;
  const bool bDroppedStrict = Dropped(chains, bases, wDevicePort, false, &strict);
  const bool bDroppedLoose = Dropped(chains, bases, wDevicePort, true, &loose);
  if (!bDroppedStrict && !bDroppedLoose) {
    pVerdict->outcome = NftVerdict::kPasses;
  } else {
    pVerdict->outcome = bDroppedStrict && bDroppedLoose ? NftVerdict::kDropped : NftVerdict::kDepends;
    pVerdict->dropping = bDroppedStrict ? std::move(strict) : std::move(loose);
  }
  return true;
}

std::string NftAcceptCommand(const NftVerdict::Chain& chain, uint16_t wDevicePort) {
  // insert, not add: a chain ending in a reject rule would never reach an appended one.
  return "nft insert rule " + chain.sFamily + " " + chain.sTable + " " + chain.sChain + " udp sport " +
         std::to_string(wDevicePort) + " accept";
}

std::string UfwAcceptCommand(uint16_t wDevicePort) {
  return "ufw allow proto udp from any port " + std::to_string(wDevicePort);
}

std::string FirewalldAcceptCommand(uint16_t wDevicePort) {
  return "firewall-cmd --permanent --add-source-port=" + std::to_string(wDevicePort) +
         "/udp && firewall-cmd --reload";
}
