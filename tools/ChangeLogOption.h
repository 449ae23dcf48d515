#ifndef KESTO_TOOLS_CHANGELOGOPTION_H
#define KESTO_TOOLS_CHANGELOGOPTION_H

#include <iosfwd>
#include <string>

#include <CLI/CLI.hpp>

#include "plan/ChangeHistory.h"

// --no-log for the commands that send settings.
void AddNoLogOption(CLI::App* pCommand, bool* pbNoLog);

// Opens the program's change log for the command sBy ("kesto set"), unless
// bNoLog; a log that cannot be written is said once on err, and sends go on.
void OpenChangeLog(const std::string& sBy, bool bNoLog, std::ostream& err);

// Reads the change log for the command pszCommand ("kesto log") into *pHistory,
// its path in *psPath, and says on err what was skipped; false, with a line on
// err, when no state folder is known.
bool ReadChangeLog(const char* pszCommand, std::ostream& err, CChangeHistory* pHistory, std::string* psPath);

#endif
