#ifndef KESTO_TOOLS_DOCTOR_NFTRULESET_H
#define KESTO_TOOLS_DOCTOR_NFTRULESET_H

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// What the rules in force (`nft -j list ruleset`) do to a device's answer: an
// IPv4 UDP datagram from the device port to this computer, arriving on an
// adapter other than loopback, which connection tracking sees as new (the
// request went to a broadcast address, so no tracked connection matches it).
struct NftVerdict {
  enum Outcome {
    kPasses,   // every input chain lets it through
    kDropped,  // some input chain drops or rejects it whatever its adapter or sender
    kDepends,  // dropped or not by rules naming adapters, addresses or the like
  };
  // One input chain that drops it, where, and what in it does.
  struct Chain {
    std::string sFamily, sTable, sChain;
    std::string sHow;  // "policy drop", "rule 7 in chain ufw-reject-input: reject"
  };
  Outcome outcome = kPasses;
  int nInputChains = 0;
  std::vector<Chain> dropping;  // kDropped and kDepends: the chains to open
  // The program that manages the rules, judged from their tables' and chains' names.
  enum Manager { kPlainNft, kFirewalld, kUfw } manager = kPlainNft;
};

// False (with *psError) when the text is not a ruleset listing.
bool JudgeNftRuleset(const nlohmann::json& ruleset, uint16_t wDevicePort, NftVerdict* pVerdict, std::string* psError);

// The command that lets the answers in, for the manager and one dropping chain.
std::string NftAcceptCommand(const NftVerdict::Chain& chain, uint16_t wDevicePort);
std::string UfwAcceptCommand(uint16_t wDevicePort);
std::string FirewalldAcceptCommand(uint16_t wDevicePort);

#endif
