#ifndef KESTO_APP_LOGIC_PROGRAMARGUMENTS_H
#define KESTO_APP_LOGIC_PROGRAMARGUMENTS_H

#include <cstdio>

// Answers kesto-manager's own options before a display is needed: --help and
// --version print to pOut and give the exit status; -1 means start the window
// (anything else is left to the window toolkit, which has options of its own).
int AnswerProgramArguments(int argc, char* argv[], std::FILE* pOut);

#endif
