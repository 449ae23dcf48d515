#ifndef KESTO_PLATFORM_PROGRAMPATH_H
#define KESTO_PLATFORM_PROGRAMPATH_H

#include <string>

namespace platform {

// The full path of the running program (UTF-8), or "" when it cannot be told.
std::string OwnProgramPath();

}  // namespace platform

#endif
