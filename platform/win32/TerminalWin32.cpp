#include <io.h>

#include <cstdio>

#include "platform/Terminal.h"

namespace platform {

bool IsStandardErrorTerminal() { return _isatty(_fileno(stderr)) != 0; }

bool IsStandardOutputTerminal() { return _isatty(_fileno(stdout)) != 0; }

}  // namespace platform
