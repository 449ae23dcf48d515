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

  // One datagram of a batch sent to a single endpoint.
  struct Part {
    const void* pData;
    size_t nSize;
  };
  // Sends the parts in order, as separate datagrams, waiting for room as SendTo does;
  // a part that fails is skipped. Returns how many went out. Linux hands a whole run
  // to the kernel in one call; elsewhere this is a loop over SendTo.
  virtual size_t SendBatchTo(const Part* pParts, size_t nCount, const Ipv4Endpoint& to) {
    size_t nSent = 0;
    for (size_t i = 0; i < nCount; ++i)
      if (SendTo(pParts[i].pData, pParts[i].nSize, to) >= 0) ++nSent;
    return nSent;
  }

  // The OS's count of waiting bytes (FIONREAD). On Windows that is every waiting
  // datagram together, on Linux only the first one, so it cannot tell an empty
  // datagram from none: use IsDatagramWaiting for that. A datagram already read
  // ahead (see ReceiveFrom) counts as the first.
  virtual bool GetPendingBytes(unsigned long* pulBytes) = 0;

  // True when at least one datagram (of any length, even 0) can be read now. Looks at
  // the datagrams already read ahead first, and otherwise reads ahead itself.
  virtual bool IsDatagramWaiting() = 0;

  // Waits up to iTimeoutMs (0: just looks) for a datagram; true when one waits.
  virtual bool WaitReadable(int iTimeoutMs) = 0;

  // Reads one waiting datagram without blocking. Returns its true length, which
  // may exceed nCapacity (the excess is discarded), or -1 when none waits or the
  // read failed. pFrom may be null. On Linux the socket reads up to kReadAhead
  // waiting datagrams in one system call and hands them out one per call, in the
  // order they came; of a datagram read ahead at most kReadAheadBytes are kept
  // (its true length is still reported).
  virtual long ReceiveFrom(void* pBuffer, size_t nCapacity, Ipv4Endpoint* pFrom) = 0;

  // The locally bound endpoint (after the first send for an unbound socket).
  virtual bool GetLocalEndpoint(Ipv4Endpoint* pLocal) = 0;

  static constexpr size_t kReadAhead = 64;
  static constexpr size_t kReadAheadBytes = 2048;
};

}  // namespace platform

#endif
