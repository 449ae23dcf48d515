#include <io.h>

#include <cstdio>

#include "platform/Terminal.h"

namespace platform {

bool IsStandardErrorTerminal() { return _isatty(_fileno(stderr)) != 0; }

}  // namespace platform
