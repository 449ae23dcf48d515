#ifndef KESTO_TOOLS_OPENCOMMAND_H
#define KESTO_TOOLS_OPENCOMMAND_H

#include <iosfwd>
#include <string>

#include "tools/FinderSession.h"
#include "tools/KestoCommand.h"

struct OpenOptions {
  TargetOptions target;
  std::string sMAC;
  int iWaitMs = 3000;
  bool bWaitGiven = false;  // otherwise the wait grows by the time a --target sweep takes
  bool bPrint = false;
};

// `kesto open`: finds the device and opens (or prints) its web page.
int RunOpen(const OpenOptions& options, std::ostream& out, std::ostream& err);

// Adds `kesto open` and its options.
void AddOpenCommand(CLI::App* pApp, KestoCommands* pCommands);

#endif
