#ifndef KESTO_TOOLS_LISTCOMMAND_H
#define KESTO_TOOLS_LISTCOMMAND_H

#include <iosfwd>

#include "tools/FinderSession.h"
#include "tools/KestoCommand.h"

struct ListOptions {
  TargetOptions target;
  int iWaitMs = 1500;
  bool bWaitGiven = false;  // otherwise the wait grows by the time a --target sweep takes
  bool bJson = false;
  bool bCsv = false;
  bool bProgress = false;   // a sweep longer than 2 s reports its progress on err
  bool bOutputTerminal = false;  // out is a terminal: CSV texts are escaped as in the table
};

// `kesto list`: collects answers for the wait and prints every device that
// answered, in the order of first answer, as a table, a JSON array or CSV.
// Devices sharing an IP are marked and named in a warning on err; devices
// outside every local subnet are marked when the subnets are known.
int RunList(const ListOptions& options, std::ostream& out, std::ostream& err);

// Adds `kesto list` and its options.
void AddListCommand(CLI::App* pApp, KestoCommands* pCommands);

#endif
