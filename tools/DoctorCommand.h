#ifndef KESTO_TOOLS_DOCTORCOMMAND_H
#define KESTO_TOOLS_DOCTORCOMMAND_H

#include <iosfwd>

#include "tools/FinderSession.h"
#include "tools/KestoCommand.h"

struct DoctorOptions {
  TargetOptions target;
  int iWaitMs = 1500;
  bool bJson = false;
};

// `kesto doctor`: the adapters, the firewall's rules and one listing's probes,
// each a line with its verdict and the fix to type. Sends only what `kesto list`
// with the same options sends. kExitOk when nothing is wrong, kExitFailed otherwise.
int RunDoctor(const DoctorOptions& options, std::ostream& out, std::ostream& err);

// Adds `kesto doctor` and its options.
void AddDoctorCommand(CLI::App* pApp, KestoCommands* pCommands);

#endif
