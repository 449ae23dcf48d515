#include <unistd.h>

#include "platform/Terminal.h"

namespace platform {

bool IsStandardErrorTerminal() { return ::isatty(STDERR_FILENO) == 1; }

bool IsStandardOutputTerminal() { return ::isatty(STDOUT_FILENO) == 1; }

}  // namespace platform
