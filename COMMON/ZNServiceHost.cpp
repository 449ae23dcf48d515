#include "COMMON/ZNServiceHost.h"

#include "COMMON/ZNSockAddr.h"
#include "COMMON/ZNSocket.h"

const char kServiceHostName[] = "service.kesto.example";

platform::SocketHandle ConnectToServiceHost(int32_t iPort) { return ConnectToNamedHost(kServiceHostName, iPort); }

platform::SocketHandle ConnectToNamedHost(const char* pszHost, int32_t iPort) {
  uint8_t byHost[4];
  if (pszHost == nullptr || !platform::ResolveHostAddress(pszHost, byHost)) return platform::kInvalidSocket;
  platform::SocketAddress address;
  MakeSockAddr(address, byHost[0], byHost[1], byHost[2], byHost[3], static_cast<uint16_t>(iPort & 0xFFFF));
  platform::SocketHandle s = platform::OpenStreamSocket();
  if (s == platform::kInvalidSocket) return platform::kInvalidSocket;
  if (!platform::ConnectSocket(s, address)) {
    CloseSocket(s);
    return platform::kInvalidSocket;
  }
  return s;
}
