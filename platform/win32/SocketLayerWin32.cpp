#include <winsock2.h>

#include "platform/SocketLayer.h"

namespace platform {

bool StartSocketLayer() {
  WSADATA data;
  return WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

void StopSocketLayer() { WSACleanup(); }

}  // namespace platform
