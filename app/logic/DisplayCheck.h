#ifndef KESTO_APP_LOGIC_DISPLAYCHECK_H
#define KESTO_APP_LOGIC_DISPLAYCHECK_H

#include <cstdio>

// Runs before the window toolkit starts, which would abort without a display:
// true when there is none, after one line to pOut that says so and names the
// command line, which does the same job headless. A QT_QPA_PLATFORM the user
// set (offscreen, vnc, ...) is their choice and skips the check.
bool ReportMissingDisplay(std::FILE* pOut);

#endif
