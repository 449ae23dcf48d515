#ifndef KESTO_TOOLS_UNDOCOMMAND_H
#define KESTO_TOOLS_UNDOCOMMAND_H

#include <iosfwd>
#include <string>

#include "tools/FinderSession.h"
#include "tools/KestoCommand.h"

struct UndoOptions {
  TargetOptions target;
  std::string sMAC;     // the device whose latest change goes back
  bool bLast = false;   // the latest change of any device
  bool bYes = false;    // without it only the preview
  bool bNoLog = false;
  int iWaitMs = 3000;
  bool bWaitGiven = false;
};

// `kesto undo`: shows what goes back for the latest logged change, then with
// --yes sends the fields it altered with their old values, by broadcast and to
// every address the MAC answers from, and confirms them as `kesto set` does.
// A device that no longer answers (an address it cannot be reached at) still
// gets them by broadcast, built over the record the change sent.
int RunUndo(const UndoOptions& options, std::ostream& out, std::ostream& err);

// Adds `kesto undo` and its options.
void AddUndoCommand(CLI::App* pApp, KestoCommands* pCommands);

#endif
