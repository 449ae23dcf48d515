#ifndef KESTO_PLATFORM_TCPSTREAM_H
#define KESTO_PLATFORM_TCPSTREAM_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Ipv4Endpoint.h"

namespace platform {

// Why a connection could not be made; each has its own words for the user.
enum class TcpConnectError { kNone, kRefused, kTimedOut, kUnreachable, kOther };

// A connected TCP stream over IPv4, closed when destroyed. Sends and receives
// may run on two threads at once (one each), as a pass-through line needs.
class TcpStream {
 public:
  virtual ~TcpStream() = default;
  // Connects within iTimeoutMs, with Nagle off (each keystroke goes at once) and
  // keep-alive on (a line left idle for hours notices a vanished peer).
  static std::unique_ptr<TcpStream> Connect(const Ipv4Endpoint& to, int iTimeoutMs, TcpConnectError* pError,
                                            std::string* psError);
  // Sends every byte; false when the connection failed.
  virtual bool SendAll(const void* pData, size_t nSize) = 0;
  // Waits up to iMilliseconds for something to read (or the end of the stream).
  virtual bool WaitReadable(int iMilliseconds) = 0;
  // One receive: the byte count, 0 at the end of the stream, -1 on failure.
  virtual long Receive(void* pBuffer, size_t nSize) = 0;
  // Ends the sending half, so the peer reads the end of the stream.
  virtual void ShutdownSend() = 0;
  virtual Ipv4Endpoint Peer() const = 0;
};

// A listening TCP socket (address reuse on), closed when destroyed.
class TcpListener {
 public:
  virtual ~TcpListener() = default;
  static std::unique_ptr<TcpListener> Listen(const Ipv4Endpoint& at, std::string* psError);
  virtual Ipv4Endpoint LocalEndpoint() const = 0;
  virtual bool WaitAcceptable(int iMilliseconds) = 0;
  // The next waiting connection, or null.
  virtual std::unique_ptr<TcpStream> Accept() = 0;
  // Its handle for WaitAnyAcceptable.
  virtual intptr_t Handle() const = 0;
};

// Waits up to iMilliseconds until one of the listeners has a connection waiting;
// the indexes of those that have. At most 256 listeners.
std::vector<size_t> WaitAnyAcceptable(const std::vector<TcpListener*>& listeners, int iMilliseconds);

}  // namespace platform

#endif
