#ifndef KESTO_PLATFORM_TERMINAL_H
#define KESTO_PLATFORM_TERMINAL_H

namespace platform {

// True when standard error is a terminal (not a file or a pipe), so that
// progress lines written there reach a person and not a log.
bool IsStandardErrorTerminal();

}  // namespace platform

#endif
