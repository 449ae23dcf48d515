#include <signal.h>

#include "platform/SocketLayer.h"

namespace platform {

bool StartSocketLayer() {
  // A send on a broken TCP connection must fail with EPIPE, not end the process.
  ::signal(SIGPIPE, SIG_IGN);
  return true;
}

void StopSocketLayer() {}

}  // namespace platform
