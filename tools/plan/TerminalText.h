#ifndef KESTO_TOOLS_PLAN_TERMINALTEXT_H
#define KESTO_TOOLS_PLAN_TERMINALTEXT_H

#include <string>
#include <string_view>

// A device text (8-bit, Latin-1) made safe for a terminal: control bytes
// (below 0x20, 0x7F and 0x80-0x9F) become \xNN, a backslash becomes \\, and
// the rest is converted to UTF-8. Every device text the plan commands print
// goes through here, so an answer cannot move the cursor or retitle a window.
std::string TerminalText(std::string_view latin1);

#endif
