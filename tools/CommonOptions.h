#ifndef KESTO_TOOLS_COMMONOPTIONS_H
#define KESTO_TOOLS_COMMONOPTIONS_H

#include <CLI/CLI.hpp>

#include "tools/FinderSession.h"

// The help footer of the commands that print device texts.
extern const char* const kDeviceTextHelp;

// --broadcast, --port, --interface, --target and --no-broadcast.
void AddTargetOptions(CLI::App* pCommand, TargetOptions* pTarget);

// A wait in ms, up to a day; anything else is bad input.
CLI::Option* AddWaitOption(CLI::App* pCommand, const char* pszName, int* piValue, const char* pszHelp);

#endif
