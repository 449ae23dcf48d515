#ifndef KESTO_PLATFORM_TERMINAL_H
#define KESTO_PLATFORM_TERMINAL_H

namespace platform {

// True when standard error is a terminal (not a file or a pipe), so that
// progress lines written there reach a person and not a log.
bool IsStandardErrorTerminal();
// True when standard output is a terminal, so that what is printed there is read
// by a person (and interpreted by the terminal) rather than stored.
bool IsStandardOutputTerminal();

}  // namespace platform

#endif
