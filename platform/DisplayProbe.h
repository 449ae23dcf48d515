#ifndef KESTO_PLATFORM_DISPLAYPROBE_H
#define KESTO_PLATFORM_DISPLAYPROBE_H

#include <string>

namespace platform {

// Whether a window could be shown: on POSIX, an X server named by DISPLAY that
// answers a connection setup, or a compositor socket named by WAYLAND_DISPLAY.
// Only this machine's sockets are tried (unix sockets, 127.0.0.1), each for at
// most iTimeoutMs; a display on another host is taken on trust. Windows always
// has a desktop. False fills *psProblem with one line saying what is missing.
bool FindDisplay(int iTimeoutMs, std::string* psProblem);

}  // namespace platform

#endif
