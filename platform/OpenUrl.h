#ifndef KESTO_PLATFORM_OPENURL_H
#define KESTO_PLATFORM_OPENURL_H

#include <string>

namespace platform {

// Hands an address to the user's browser (xdg-open on POSIX, the shell's "open"
// verb on Windows). Returns false and fills *psError when it could not be started.
bool OpenUrl(const std::string& sUrl, std::string* psError);

}  // namespace platform

#endif
