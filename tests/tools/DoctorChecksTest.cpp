// The doctor's checks over parsed data: nft rulesets, interface tables, answers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/doctor/AdapterChecks.h"
#include "tools/doctor/FirewallChecks.h"
#include "tools/doctor/IptablesRules.h"
#include "tools/doctor/NftRuleset.h"
#include "tools/doctor/ProbeChecks.h"

namespace {

using json = nlohmann::json;

// Matches and verdicts as `nft -j` writes them.
const char* const kSport1444 = R"({"match":{"op":"==","left":{"payload":{"protocol":"udp","field":"sport"}},"right":1444}})";
const char* const kThSport = R"({"match":{"op":"==","left":{"payload":{"protocol":"th","field":"sport"}},"right":{"set":[53,{"range":[1000,2000]}]}}})";
const char* const kTcp22 = R"({"match":{"op":"==","left":{"payload":{"protocol":"tcp","field":"dport"}},"right":22}})";
const char* const kEstablished = R"({"match":{"op":"in","left":{"ct":{"key":"state"}},"right":["established","related"]}})";
const char* const kStateNew = R"({"match":{"op":"==","left":{"ct":{"key":"state"}},"right":"new"}})";
const char* const kIifLo = R"({"match":{"op":"==","left":{"meta":{"key":"iif"}},"right":"lo"}})";
const char* const kIifEth0 = R"({"match":{"op":"==","left":{"meta":{"key":"iifname"}},"right":"eth0"}})";
const char* const kNotUdp = R"({"match":{"op":"!=","left":{"meta":{"key":"l4proto"}},"right":"udp"}})";
const char* const kStateVmap = R"({"vmap":{"key":{"ct":{"key":"state"}},"data":{"set":[["established",{"accept":null}],["invalid",{"drop":null}],["new",{"jump":{"target":"zone"}}]]}}})";
const char* const kAccept = R"({"accept":null})";
const char* const kDrop = R"({"drop":null})";
const char* const kReject = R"({"reject":{"type":"icmpx","expr":"admin-prohibited"}})";
const char* const kCounter = R"({"counter":{"packets":0,"bytes":0}})";
const char* const kReturn = R"({"return":null})";

std::string Jump(const char* pszKind, const std::string& sTarget) {
  return std::string("{\"") + pszKind + "\":{\"target\":\"" + sTarget + "\"}}";
}

struct Ruleset {
  json items = json::array();
  Ruleset& Table(const std::string& sFamily, const std::string& sName) {
    items.push_back({{"table", {{"family", sFamily}, {"name", sName}, {"handle", 1}}}});
    return *this;
  }
  Ruleset& Chain(const std::string& sFamily, const std::string& sTable, const std::string& sName,
                 const std::string& sHook = "", const std::string& sPolicy = "accept") {
    json chain = {{"family", sFamily}, {"table", sTable}, {"name", sName}, {"handle", 2}};
    if (!sHook.empty()) chain.update({{"type", "filter"}, {"hook", sHook}, {"prio", 0}, {"policy", sPolicy}});
    items.push_back({{"chain", chain}});
    return *this;
  }
  Ruleset& Rule(const std::string& sFamily, const std::string& sTable, const std::string& sChain,
                const std::vector<std::string>& exprs) {
    json list = json::array();
    for (const std::string& sExpr : exprs) list.push_back(json::parse(sExpr));
    items.push_back({{"rule", {{"family", sFamily}, {"table", sTable}, {"chain", sChain},
                               {"handle", items.size()}, {"expr", list}}}});
    return *this;
  }
  json Json() const { return {{"nftables", items}}; }
};

// The desktop shape: input policy drop, loopback and established traffic allowed.
Ruleset Desk() {
  return Ruleset()
      .Table("inet", "desk")
      .Chain("inet", "desk", "input", "input", "drop")
      .Rule("inet", "desk", "input", {kIifLo, kAccept})
      .Rule("inet", "desk", "input", {kEstablished, kAccept});
}

}  // namespace

TEST(NftRulesetTest, JudgesTheAnswerThroughEveryInputChain) {
  const struct {
    const char* pszCase;
    Ruleset ruleset;
    NftVerdict::Outcome outcome;
    const char* pszHow;  // the first dropping chain's how, "" when none
    NftVerdict::Manager manager;
  } cases[] = {
      {"empty", Ruleset(), NftVerdict::kPasses, "", NftVerdict::kPlainNft},
      {"desk drops", Desk(), NftVerdict::kDropped, "policy drop", NftVerdict::kPlainNft},
      {"desk with the fix", Desk().Rule("inet", "desk", "input", {kSport1444, kAccept}), NftVerdict::kPasses, "",
       NftVerdict::kPlainNft},
      {"fix for another port", Desk().Rule("inet", "desk", "input", {kThSport, kAccept}), NftVerdict::kPasses, "",
       NftVerdict::kPlainNft},
      {"tcp rule does not help", Desk().Rule("inet", "desk", "input", {kTcp22, kAccept}), NftVerdict::kDropped,
       "policy drop", NftVerdict::kPlainNft},
      {"new accepted", Desk().Rule("inet", "desk", "input", {kStateNew, kCounter, kAccept}), NftVerdict::kPasses, "",
       NftVerdict::kPlainNft},
      {"only on eth0", Desk().Rule("inet", "desk", "input", {kIifEth0, kAccept}), NftVerdict::kDepends,
       "policy drop", NftVerdict::kPlainNft},
      {"policy accept, final reject",
       Ruleset().Chain("ip", "filter", "INPUT", "input").Rule("ip", "filter", "INPUT", {kReject}),
       NftVerdict::kDropped, "rule 1 in chain INPUT: reject", NftVerdict::kPlainNft},
      {"non-udp dropped only",
       Ruleset().Chain("ip", "filter", "INPUT", "input").Rule("ip", "filter", "INPUT", {kNotUdp, kDrop}),
       NftVerdict::kPasses, "", NftVerdict::kPlainNft},
      {"ipv6 only chain", Ruleset().Chain("ip6", "t", "in", "input", "drop"), NftVerdict::kPasses, "",
       NftVerdict::kPlainNft},
      {"output chain", Ruleset().Chain("inet", "t", "out", "output", "drop"), NftVerdict::kPasses, "",
       NftVerdict::kPlainNft},
      {"jump returns, then policy",
       Ruleset().Chain("inet", "t", "in", "input", "drop").Chain("inet", "t", "sub")
           .Rule("inet", "t", "sub", {kTcp22, kAccept}).Rule("inet", "t", "in", {Jump("jump", "sub")}),
       NftVerdict::kDropped, "policy drop", NftVerdict::kPlainNft},
      {"jump accepts",
       Ruleset().Chain("inet", "t", "in", "input", "drop").Chain("inet", "t", "sub")
           .Rule("inet", "t", "sub", {kSport1444, kAccept}).Rule("inet", "t", "in", {Jump("jump", "sub")}),
       NftVerdict::kPasses, "", NftVerdict::kPlainNft},
      {"return skips the rest of a chain",
       Ruleset().Chain("inet", "t", "in", "input").Chain("inet", "t", "sub")
           .Rule("inet", "t", "sub", {kReturn}).Rule("inet", "t", "sub", {kDrop})
           .Rule("inet", "t", "in", {Jump("jump", "sub")}),
       NftVerdict::kPasses, "", NftVerdict::kPlainNft},
      {"goto ends the calling chain too",
       Ruleset().Chain("inet", "t", "in", "input").Chain("inet", "t", "mid").Chain("inet", "t", "zone")
           .Rule("inet", "t", "mid", {Jump("goto", "zone")}).Rule("inet", "t", "mid", {kDrop})
           .Rule("inet", "t", "in", {Jump("jump", "mid")}).Rule("inet", "t", "in", {kReject}),
       NftVerdict::kDropped, "rule 6 in chain in: reject", NftVerdict::kPlainNft},
      {"a jump loop ends", Ruleset().Chain("inet", "t", "in", "input", "drop").Chain("inet", "t", "a")
                               .Rule("inet", "t", "a", {Jump("jump", "a")}).Rule("inet", "t", "in", {Jump("jump", "a")}),
       NftVerdict::kDropped, "policy drop", NftVerdict::kPlainNft},
      {"firewalld shape", Ruleset().Table("inet", "firewalld").Chain("inet", "firewalld", "filter_INPUT", "input")
                              .Chain("inet", "firewalld", "zone")
                              .Rule("inet", "firewalld", "filter_INPUT", {kStateVmap})
                              .Rule("inet", "firewalld", "zone", {kTcp22, kAccept})
                              .Rule("inet", "firewalld", "filter_INPUT", {kReject}),
       NftVerdict::kDropped, "rule 5 in chain filter_INPUT: reject", NftVerdict::kFirewalld},
      {"ufw chains", Ruleset().Chain("ip", "filter", "INPUT", "input", "drop").Chain("ip", "filter", "ufw-user-input")
                         .Rule("ip", "filter", "INPUT", {Jump("jump", "ufw-user-input")}),
       NftVerdict::kDropped, "policy drop", NftVerdict::kUfw},
      {"iptables-nft target", Ruleset().Chain("ip", "filter", "INPUT", "input")
                                  .Rule("ip", "filter", "INPUT", {R"({"xt":{"type":"target","name":"REJECT"}})"}),
       NftVerdict::kDropped, "rule 1 in chain INPUT: REJECT", NftVerdict::kPlainNft},
      {"iptables-nft match unreadable",
       Ruleset().Chain("ip", "filter", "INPUT", "input", "drop")
           .Rule("ip", "filter", "INPUT", {R"({"xt":{"type":"match","name":"conntrack"}})", kAccept}),
       NftVerdict::kDepends, "policy drop", NftVerdict::kPlainNft},
  };
  for (const auto& c : cases) {
    NftVerdict verdict;
    std::string sError;
    ASSERT_TRUE(JudgeNftRuleset(c.ruleset.Json(), 1444, &verdict, &sError)) << c.pszCase << ": " << sError;
    EXPECT_EQ(verdict.outcome, c.outcome) << c.pszCase;
    EXPECT_EQ(verdict.manager, c.manager) << c.pszCase;
    EXPECT_EQ(verdict.dropping.empty() ? std::string() : verdict.dropping[0].sHow, c.pszHow) << c.pszCase;
  }
  NftVerdict verdict;
  std::string sError;
  EXPECT_FALSE(JudgeNftRuleset(json::parse(R"({"rules":[]})"), 1444, &verdict, &sError));
  EXPECT_FALSE(JudgeNftRuleset(json::parse("[1,2]"), 1444, &verdict, &sError));
}

TEST(FirewallChecksTest, ListingToVerdictAndFix) {
  auto ran = [](int iExit, std::string sOut, std::string sErr = "") {
    platform::ProgramResult result;
    result.bStarted = true;
    result.iExitCode = iExit;
    result.sOutput = std::move(sOut);
    result.sErrors = std::move(sErr);
    return result;
  };
  platform::ProgramResult missing;
  missing.sError = "No such file or directory";
  const struct {
    const char* pszCase;
    platform::ProgramResult listing;
    DoctorCheck::Verdict verdict;
    const char* pszText;  // a part of the line
    const char* pszFix;   // a part of the first fix, "" for none
  } cases[] = {
      {"desk", ran(0, Desk().Json().dump()), DoctorCheck::kProblem, "table inet desk, chain input (policy drop)",
       "nft insert rule inet desk input udp sport 1444 accept"},
      {"open", ran(0, Ruleset().Chain("inet", "t", "in", "input").Json().dump()), DoctorCheck::kOk, "lets UDP", ""},
      {"no chains", ran(0, R"({"nftables":[{"metainfo":{"version":"1.0.6"}}]})"), DoctorCheck::kOk,
       "no nft input chain", ""},
      {"firewalld", ran(0, Ruleset().Table("inet", "firewalld").Chain("inet", "firewalld", "in", "input", "drop")
                               .Json().dump()),
       DoctorCheck::kProblem, "managed by firewalld", "firewall-cmd --permanent --add-source-port=1444/udp"},
      {"ufw", ran(0, Ruleset().Chain("ip", "filter", "ufw-x").Chain("ip", "filter", "INPUT", "input", "drop")
                         .Json().dump()),
       DoctorCheck::kProblem, "managed by ufw", "ufw allow proto udp from any port 1444"},
      {"not root", ran(1, "", "Error: cache initialization failed: Operation not permitted\nmore"),
       DoctorCheck::kUnknown, "without root (Error: cache initialization failed: Operation not permitted)",
       "sudo kesto doctor"},
      {"no nft", missing, DoctorCheck::kUnknown, "nft cannot be run (No such file or directory)", "iptables -S"},
      {"junk", ran(0, "\x1b[2Jnot json"), DoctorCheck::kUnknown, "no readable ruleset", ""},
  };
  for (const auto& c : cases) {
    const DoctorChecks checks = NftFirewallChecks(c.listing, 1444);
    ASSERT_EQ(checks.size(), 1u) << c.pszCase;
    EXPECT_EQ(checks[0].verdict, c.verdict) << c.pszCase;
    EXPECT_NE(checks[0].sText.find(c.pszText), std::string::npos) << c.pszCase << ": " << checks[0].sText;
    if (*c.pszFix == 0) {
      EXPECT_TRUE(checks[0].fixes.empty()) << c.pszCase;
    } else {
      ASSERT_FALSE(checks[0].fixes.empty()) << c.pszCase;
      EXPECT_NE(checks[0].fixes[0].find(c.pszFix), std::string::npos) << checks[0].fixes[0];
    }
  }
  // Another device port goes into the rule.
  EXPECT_NE(NftFirewallChecks(ran(0, Desk().Json().dump()), 5000)[0].fixes[0].find("udp sport 5000 accept"),
            std::string::npos);
}

TEST(FirewallChecksTest, WindowsProfileText) {
  auto ran = [](std::string sOut) {
    platform::ProgramResult result;
    result.bStarted = true;
    result.iExitCode = 0;
    result.sOutput = std::move(sOut);
    return result;
  };
  const std::string sOn = "\r\nPublic Profile Settings: \r\n-------------------\r\nState                                 ON\r\n"
                          "Firewall Policy                       BlockInbound,AllowOutbound\r\n";
  DoctorChecks checks = WindowsFirewallChecks(ran(sOn), 1444, "C:\\Program Files\\Kesto\\kesto.exe");
  ASSERT_EQ(checks.size(), 1u);
  EXPECT_EQ(checks[0].verdict, DoctorCheck::kUnknown);
  EXPECT_NE(checks[0].sText.find("Public profile: ON, BlockInbound,AllowOutbound"), std::string::npos) << checks[0].sText;
  EXPECT_NE(checks[0].fixes[0].find("program=\"C:\\Program Files\\Kesto\\kesto.exe\" protocol=UDP remoteport=1444"),
            std::string::npos)
      << checks[0].fixes[0];
  checks = WindowsFirewallChecks(ran("Domain Profile Settings:\r\nState    OFF\r\n"), 1444, "");
  EXPECT_EQ(checks[0].verdict, DoctorCheck::kOk);
  checks = WindowsFirewallChecks(platform::ProgramResult{}, 1444, "C:\\a\"b.exe");
  EXPECT_EQ(checks[0].verdict, DoctorCheck::kUnknown);
  EXPECT_EQ(checks[0].fixes[0].find("program="), std::string::npos);
}

namespace {

platform::NetInterface If(const char* pszName, uint32_t dwAddress, int iPrefix, bool bUp = true) {
  platform::NetInterface entry;
  entry.sName = pszName;
  entry.dwAddress = dwAddress;
  entry.dwMask = iPrefix == 0 ? 0 : ~0u << (32 - iPrefix);
  entry.dwBroadcast = dwAddress | ~entry.dwMask;
  entry.bUp = bUp;
  entry.bBroadcast = true;
  return entry;
}

platform::NetInterface Loopback() {
  platform::NetInterface entry = If("lo", 0x7F000001u, 8);
  entry.bBroadcast = false;
  entry.bLoopback = true;
  return entry;
}

// "verdict area" of every line, in order.
std::vector<std::string> Lines(const DoctorChecks& checks) {
  std::vector<std::string> lines;
  for (const DoctorCheck& check : checks) lines.push_back(std::string(VerdictName(check.verdict)) + " " + check.sArea);
  return lines;
}

}  // namespace

TEST(AdapterChecksTest, OneLinePerAdapterThenSubnetsRouteAndBuffer) {
  using Lines_ = std::vector<std::string>;
  const uint32_t eth0 = 0xC0A8010Au, wlan0 = 0xC0A80114u, other = 0x0A000001u;
  const struct {
    const char* pszCase;
    AdapterFacts facts;
    Lines_ lines;
    const char* pszMentions;
  } cases[] = {
      {"unreadable", AdapterFacts{}, {"unknown adapter"}, "cannot be read"},
      {"one adapter", {true, {Loopback(), If("eth0", eth0, 24)}, eth0, ""},
       {"ok adapter", "ok route", "ok buffer"}, "leaves by eth0 (192.168.1.10)"},
      {"two on one subnet", {true, {If("eth0", eth0, 24), If("wlan0", wlan0, 16)}, eth0, ""},
       {"ok adapter", "ok adapter", "warning adapter", "ok route", "ok buffer"}, "eth0 and wlan0 are on one subnet"},
      {"two subnets", {true, {If("eth0", eth0, 24), If("eth1", other, 24)}, eth0, ""},
       {"ok adapter", "ok adapter", "ok route", "ok buffer"}, ""},
      {"down", {true, {If("eth0", eth0, 24), If("eth1", other, 24, false)}, eth0, ""},
       {"ok adapter", "warning adapter", "ok route", "ok buffer"}, "ip link set eth1 up"},
      {"none usable", {true, {Loopback(), If("eth0", eth0, 24, false)}, 0, ""},
       {"warning adapter", "problem adapter", "warning route", "ok buffer"}, "no adapter is up"},
      {"self-assigned", {true, {If("eth0", 0xA9FE0102u, 16)}, 0xA9FE0102u, ""},
       {"warning adapter", "ok route", "ok buffer"}, "no DHCP server"},
      {"virtual route", {true, {If("docker0", 0xAC110001u, 16), If("eth0", eth0, 24)}, 0xAC110001u, ""},
       {"info adapter", "ok adapter", "info route", "ok buffer"}, "(172.17.0.1), a virtual adapter"},
      {"short buffer", {true, {If("eth0", eth0, 24)}, eth0, "the receive buffer holds about 200 answers"},
       {"ok adapter", "ok route", "warning buffer"}, "net.core.rmem_max"},
      {"hostile name", {true, {If("e\x1b]0;x\x07", eth0, 24)}, eth0, ""},
       {"ok adapter", "ok route", "ok buffer"}, "e\\x1b]0;x\\x07"},
  };
  for (const auto& c : cases) {
    const DoctorChecks checks = CheckAdapters(c.facts);
    EXPECT_EQ(Lines(checks), c.lines) << c.pszCase;
    std::string sAll;
    for (const DoctorCheck& check : checks) {
      sAll += check.sText + "\n";
      for (const std::string& sFix : check.fixes) sAll += sFix + "\n";
    }
    EXPECT_NE(sAll.find(c.pszMentions), std::string::npos) << c.pszCase << ":\n" << sAll;
    EXPECT_EQ(sAll.find('\x1b'), std::string::npos) << c.pszCase;
  }
}

TEST(ProbeChecksTest, CountsPerSubnetOutsidersAndSharedAddresses) {
  auto device = [](uint8_t byLast, uint32_t dwIP) {
    KESTO_RECORD record;
    const uint8_t mac[6] = {0x02, 0, 0, 0, 0, byLast};
    std::copy(mac, mac + 6, record.byMAC);
    record.dwIPAddress = dwIP;
    return record;
  };
  const std::vector<platform::NetInterface> table = {Loopback(), If("ka", 0x0ACA0101u, 24), If("kb", 0x0ACA0201u, 24)};
  const struct {
    const char* pszCase;
    std::vector<KESTO_RECORD> records;
    bool bJudge;
    std::vector<std::string> lines;
    const char* pszMentions;
  } cases[] = {
      {"nothing", {}, true, {"problem probe"}, "no device answered within 1500 ms"},
      {"per subnet", {device(1, 0x0ACA0132u), device(2, 0x0ACA0133u), device(3, 0x0ACA0205u)}, true,
       {"ok probe", "ok probe", "ok probe"}, "kb 10.202.2.0/24: 1 device on its subnet"},
      {"outside", {device(1, 0x0ACA0132u), device(2, 0xC0A84D05u)}, true,
       {"ok probe", "ok probe", "ok probe", "warning probe"}, "02-00-00-00-00-02 (192.168.77.5)"},
      {"outside not judged", {device(2, 0xC0A84D05u)}, false, {"ok probe"}, "1 device answered"},
      {"shared", {device(1, 0x0ACA0132u), device(2, 0x0ACA0132u)}, true,
       {"ok probe", "ok probe", "ok probe", "problem probe"}, "kesto apply --assign-ip"},
  };
  for (const auto& c : cases) {
    ProbeFacts facts;
    facts.dwWaitMs = 1500;
    facts.records = c.records;
    facts.table = table;
    facts.bJudgeSubnets = c.bJudge;
    const DoctorChecks checks = CheckProbe(facts);
    EXPECT_EQ(Lines(checks), c.lines) << c.pszCase;
    std::string sAll;
    for (const DoctorCheck& check : checks) {
      sAll += check.sText + "\n";
      for (const std::string& sFix : check.fixes) sAll += sFix + "\n";
    }
    EXPECT_NE(sAll.find(c.pszMentions), std::string::npos) << c.pszCase << ":\n" << sAll;
  }
}

TEST(IptablesRulesTest, JudgesTheAnswerThroughInputAndItsChains) {
  const std::string kDesk = "-P INPUT DROP\n-A INPUT -i lo -j ACCEPT\n"
                            "-A INPUT -m conntrack --ctstate RELATED,ESTABLISHED -j ACCEPT\n";
  const struct {
    const char* pszCase;
    std::string sRules;
    NftVerdict::Outcome outcome;
    const char* pszHow;
  } cases[] = {
      {"empty", "-P INPUT ACCEPT\n", NftVerdict::kPasses, ""},
      {"desk", kDesk, NftVerdict::kDropped, "policy DROP"},
      {"desk with the fix", kDesk + "-A INPUT -p udp -m udp --sport 1444 -j ACCEPT\n", NftVerdict::kPasses, ""},
      {"port range", kDesk + "-A INPUT -p udp -m multiport --sports 53,1000:2000 -j ACCEPT\n", NftVerdict::kPasses, ""},
      {"tcp only", kDesk + "-A INPUT -p tcp -m tcp --dport 22 -j ACCEPT\n", NftVerdict::kDropped, "policy DROP"},
      {"new accepted", kDesk + "-A INPUT -m state --state NEW -j ACCEPT\n", NftVerdict::kPasses, ""},
      {"one adapter", kDesk + "-A INPUT -i eth0 -j ACCEPT\n", NftVerdict::kDepends, "policy DROP"},
      {"not loopback", kDesk + "-A INPUT ! -i lo -p udp -j ACCEPT\n", NftVerdict::kPasses, ""},
      {"final reject", "-P INPUT ACCEPT\n-A INPUT -p tcp -j ACCEPT\n-A INPUT -j REJECT --reject-with icmp-host-prohibited\n",
       NftVerdict::kDropped, "rule 2 in chain INPUT: REJECT"},
      {"ufw chain", "-P INPUT DROP\n-N ufw-user-input\n-A INPUT -j ufw-user-input\n"
                    "-A ufw-user-input -p udp -m udp --sport 1444 -j ACCEPT\n", NftVerdict::kPasses, ""},
      {"return", "-P INPUT ACCEPT\n-N sub\n-A INPUT -j sub\n-A sub -j RETURN\n-A sub -j DROP\n", NftVerdict::kPasses,
       ""},
  };
  for (const auto& c : cases) {
    const NftVerdict verdict = JudgeIptablesRules(c.sRules, 1444);
    EXPECT_EQ(verdict.outcome, c.outcome) << c.pszCase;
    EXPECT_EQ(verdict.dropping.empty() ? std::string() : verdict.dropping[0].sHow, c.pszHow) << c.pszCase;
  }
  EXPECT_EQ(JudgeIptablesRules("-P INPUT DROP\n-N ufw-x\n", 1444).manager, NftVerdict::kUfw);
  platform::ProgramResult listing;
  listing.bStarted = true;
  listing.iExitCode = 0;
  listing.sOutput = kDesk;
  const DoctorChecks checks = IptablesFirewallChecks(listing, 1444);
  ASSERT_EQ(checks.size(), 1u);
  EXPECT_EQ(checks[0].verdict, DoctorCheck::kProblem);
  EXPECT_EQ(checks[0].fixes.at(0), "iptables -I INPUT -p udp --sport 1444 -j ACCEPT");
}
