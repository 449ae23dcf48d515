#ifndef KESTO_TESTS_LOOPBACKSOCKET_H
#define KESTO_TESTS_LOOPBACKSOCKET_H

#include <memory>
#include <string>

#include "platform/UdpSocket.h"

// A UDP socket bound to 127.0.0.1 on a port the OS picks; null (with the reason
// in *psError) when it cannot be opened. iReceiveBufferBytes 0 keeps the OS default.
inline std::unique_ptr<platform::DatagramSocket> OpenLoopbackSocket(int iReceiveBufferBytes = 0,
                                                                    std::string* psError = nullptr) {
  platform::UdpSocketOptions options;
  options.bBroadcast = false;
  options.bBind = true;
  options.endpBind = {platform::kLoopback, 0};
  options.iReceiveBufferBytes = iReceiveBufferBytes;
  std::string sError;
  auto socket = platform::OpenUdpSocket(options, &sError);
  if (psError != nullptr) *psError = sError;
  return socket;
}

#endif
