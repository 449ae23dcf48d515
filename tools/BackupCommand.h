#ifndef KESTO_TOOLS_BACKUPCOMMAND_H
#define KESTO_TOOLS_BACKUPCOMMAND_H

#include <iosfwd>
#include <string>

#include "tools/FinderSession.h"
#include "tools/KestoCommand.h"

struct BackupOptions {
  TargetOptions target;
  std::string sOutput;  // empty: standard output
  bool bForce = false;  // replace an existing --output file
  int iWaitMs = 3000;
  bool bWaitGiven = false;
};

// `kesto backup`: every device that answers within the wait, as full records
// with the format version and the time, to stdout or (atomically) to a file.
int RunBackup(const BackupOptions& options, std::ostream& out, std::ostream& err);

// Adds `kesto backup` and its options.
void AddBackupCommand(CLI::App* pApp, KestoCommands* pCommands);

#endif
