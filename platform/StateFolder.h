#ifndef KESTO_PLATFORM_STATEFOLDER_H
#define KESTO_PLATFORM_STATEFOLDER_H

#include <string>

namespace platform {

// The folder where this program keeps what it records for the user, as UTF-8:
// $XDG_STATE_HOME/kesto, else ~/.local/state/kesto; %LOCALAPPDATA%\Kesto on
// Windows. Empty when the environment names none. The folder may not exist yet.
std::string StateFolder();

// The separator between a folder and a file name on this platform.
char PathSeparator();

}  // namespace platform

#endif
