#ifndef KESTO_PLATFORM_DATAGRAMSOCKET_H
#define KESTO_PLATFORM_DATAGRAMSOCKET_H

#include <cstddef>
#include <cstdint>

#include "platform/Ipv4Endpoint.h"

namespace platform {

// One UDP socket. Abstract so that the finder can be driven by a fake in tests.
class DatagramSocket {
 public:
  virtual ~DatagramSocket() = default;

  // Sends one datagram; returns the bytes sent or -1.
  virtual int SendTo(const void* pData, size_t nSize, const Ipv4Endpoint& to) = 0;

  // The same, but never waits for room in the send buffer: returns kSendWouldBlock
  // when the datagram cannot be queued now. (Datagrams to on-link hosts that do not
  // answer ARP hold buffer space for seconds, so a long unicast sweep fills it.)
  static constexpr int kSendWouldBlock = -2;
  virtual int SendToNoWait(const void* pData, size_t nSize, const Ipv4Endpoint& to) {
    return SendTo(pData, nSize, to);
  }

  // The bytes this socket has handed to the OS that have not left yet, as the OS
  // charges them to its send buffer (SIOCOUTQ on Linux: datagrams to on-link hosts
  // still being resolved stay charged for seconds). False where the OS cannot tell;
  // callers then go by kSendWouldBlock alone.
  virtual bool GetUnsentBytes(unsigned long* pulBytes) {
    (void)pulBytes;
    return false;
  }

  // The OS's count of waiting bytes (FIONREAD). On Windows that is every waiting
  // datagram together, on Linux only the first one, so it cannot tell an empty
  // datagram from none: use IsDatagramWaiting for that.
  virtual bool GetPendingBytes(unsigned long* pulBytes) = 0;

  // True when at least one datagram (of any length, even 0) can be read now.
  virtual bool IsDatagramWaiting() = 0;

  // Waits up to iTimeoutMs (0: just looks) for a datagram; true when one waits.
  virtual bool WaitReadable(int iTimeoutMs) = 0;

  // Reads one waiting datagram without blocking. Returns its true length, which
  // may exceed nCapacity (the excess is discarded), or -1 when none waits or the
  // read failed. pFrom may be null.
  virtual long ReceiveFrom(void* pBuffer, size_t nCapacity, Ipv4Endpoint* pFrom) = 0;

  // The locally bound endpoint (after the first send for an unbound socket).
  virtual bool GetLocalEndpoint(Ipv4Endpoint* pLocal) = 0;
};

}  // namespace platform

#endif
