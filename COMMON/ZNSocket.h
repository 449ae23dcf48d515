#ifndef KESTO_COMMON_ZNSOCKET_H
#define KESTO_COMMON_ZNSOCKET_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "COMMON/ZNAddressText.h"
#include "COMMON/ZNLocalAddress.h"
#include "COMMON/ZNServiceHost.h"
#include "COMMON/ZNSockAddr.h"
#include "platform/SocketCalls.h"

// Thin, stateless helpers over the socket layer, which must be started already.
// Sockets belong to the caller.

// FIONBIO on or off; true when the switch succeeded.
bool SetNonBlocking(platform::SocketHandle s);
bool SetBlocking(platform::SocketHandle s);

// The bytes waiting (FIONREAD): true and the count, or false with the count 0.
bool GetPendingBytes(platform::SocketHandle s, unsigned long& ulQue);

// True when the socket can send within 10 microseconds; false for kInvalidSocket.
bool IsReadyToSend(platform::SocketHandle s);

// One recvfrom of at most nSize bytes; pFrom, if given, receives the sender's address.
// ReceiveExact is true only when exactly nSize bytes arrived; ReceiveDatagram gives the
// byte count or -1.
bool ReceiveExact(platform::SocketHandle s, void* pBuffer, size_t nSize, platform::SocketAddress* pFrom);
long ReceiveDatagram(platform::SocketHandle s, void* pBuffer, size_t nSize, platform::SocketAddress* pFrom);

// One send of the text's characters without terminator; true only when all were sent.
// A partial send is not retried. False for kInvalidSocket without sending.
bool SendString(platform::SocketHandle s, const std::string& sText);

// Stops receiving, then closes; results ignored.
void CloseSocket(platform::SocketHandle s);

// Pauses the calling thread.
void SleepMs(uint32_t dwMilliseconds);

#endif
