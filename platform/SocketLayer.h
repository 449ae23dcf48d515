#ifndef KESTO_PLATFORM_SOCKETLAYER_H
#define KESTO_PLATFORM_SOCKETLAYER_H

namespace platform {

// Starts the socket layer (WSAStartup 1.1 on Windows; nothing to do on POSIX).
// Returns false when sockets cannot be used at all.
bool StartSocketLayer();

// Balances a successful StartSocketLayer.
void StopSocketLayer();

}  // namespace platform

#endif
