#ifndef KESTO_TOOLS_APPLYCOMMAND_H
#define KESTO_TOOLS_APPLYCOMMAND_H

#include <csignal>
#include <iosfwd>
#include <optional>
#include <string>

#include "tools/FinderSession.h"
#include "tools/KestoCommand.h"

struct ApplyOptions {
  TargetOptions target;
  enum class Source { kPlanFile, kAssignIP, kRestore };
  Source source = Source::kPlanFile;
  std::string sFile;  // the plan or backup; "-" is standard input
  // --assign-ip and its companions
  std::string sRange;
  std::optional<std::string> sNetMask;
  std::optional<std::string> sGateway;
  std::string sOrder = "mac";
  std::string sMatch;
  int iWaitMs = 3000;  // bounds the search and, per device, the confirmation
  bool bWaitGiven = false;
  int iParallel = 8;
  bool bYes = false;
  bool bJson = false;
  bool bNoLog = false;
  bool bForce = false;  // send even what the address rule refuses
  bool bProgress = false;  // stderr is a terminal: a run longer than 2 s shows devices done / total
};

// `kesto apply` and `kesto restore`: checks the plan whole before anything is
// sent, asks the devices, prints the plan against what they say now and,
// with --yes, sends each device's changes (at most --parallel awaiting at
// once) and reports per device what became of them. *pbStop (Ctrl-C) stops
// the sending; the report still follows.
int RunApply(const ApplyOptions& options, std::ostream& out, std::ostream& err,
             const volatile std::sig_atomic_t* pbStop);

// Adds `kesto apply` and `kesto restore` and their options.
void AddApplyCommands(CLI::App* pApp, KestoCommands* pCommands);

#endif
