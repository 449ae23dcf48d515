#ifndef KESTO_TOOLS_SETCOMMAND_H
#define KESTO_TOOLS_SETCOMMAND_H

#include <iosfwd>
#include <string>

#include "tools/FinderSession.h"
#include "plan/SetRequest.h"
#include "tools/KestoCommand.h"

struct SetOptions {
  TargetOptions target;
  std::string sMAC;
  SetOptionsText fields;
  int iWaitMs = 3000;  // bounds the search and, separately, the confirmation
  bool bWaitGiven = false;  // otherwise the wait grows by the time a --target sweep takes
  bool bNoVerify = false;
  bool bNoLog = false;
  bool bForce = false;  // send even what the address rule refuses
};

// `kesto set`: checks every option before anything is sent, finds the device,
// refuses addresses that would leave it unreachable (unless --force: exit 2, nothing
// sent), writes the given fields over its current record, sends one set-configuration
// datagram, then (unless --no-verify) probes until the device shows the values.
int RunSet(const SetOptions& options, std::ostream& out, std::ostream& err);

// Adds `kesto set` and its options.
void AddSetCommand(CLI::App* pApp, KestoCommands* pCommands);

#endif
