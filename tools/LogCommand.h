#ifndef KESTO_TOOLS_LOGCOMMAND_H
#define KESTO_TOOLS_LOGCOMMAND_H

#include <iosfwd>
#include <string>

#include "tools/KestoCommand.h"

struct LogOptions {
  std::string sMAC;    // empty: every device
  std::string sSince;  // empty: from the start
  bool bJson = false;
};

// `kesto log`: the changes in the change log, newest first, with old -> new for
// each field that changed. Damaged lines are skipped and counted on err.
int RunLog(const LogOptions& options, std::ostream& out, std::ostream& err);

// Adds `kesto log` and its options.
void AddLogCommand(CLI::App* pApp, KestoCommands* pCommands);

#endif
