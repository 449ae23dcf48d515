#include "COMMON/ZNSocket.h"

#include "platform/SleepMs.h"

namespace {

// The sender address room recvfrom is given: one sockaddr_in.
constexpr int kHostSize = 16;

constexpr long kReadyWaitMicroseconds = 10;

}  // namespace

bool SetNonBlocking(platform::SocketHandle s) { return platform::SetSocketNonBlocking(s, true); }

bool SetBlocking(platform::SocketHandle s) { return platform::SetSocketNonBlocking(s, false); }

bool GetPendingBytes(platform::SocketHandle s, unsigned long& ulQue) {
  if (platform::GetSocketPendingBytes(s, &ulQue)) return true;
  ulQue = 0;
  return false;
}

bool IsReadyToSend(platform::SocketHandle s) {
  if (s == platform::kInvalidSocket) return false;
  return platform::WaitSocketWritable(s, kReadyWaitMicroseconds) > 0;
}

long ReceiveDatagram(platform::SocketHandle s, void* pBuffer, size_t nSize, platform::SocketAddress* pFrom) {
  int iHostSize = kHostSize;
  return platform::ReceiveFromSocket(s, pBuffer, nSize, pFrom, &iHostSize);
}

bool ReceiveExact(platform::SocketHandle s, void* pBuffer, size_t nSize, platform::SocketAddress* pFrom) {
  long lReceived = ReceiveDatagram(s, pBuffer, nSize, pFrom);
  return lReceived >= 0 && static_cast<size_t>(lReceived) == nSize;
}

bool SendString(platform::SocketHandle s, const std::string& sText) {
  if (s == platform::kInvalidSocket) return false;
  long lSent = platform::SendOnSocket(s, sText.data(), sText.size());
  return lSent >= 0 && static_cast<size_t>(lSent) == sText.size();
}

void CloseSocket(platform::SocketHandle s) {
  platform::ShutdownSocketReceive(s);
  platform::CloseSocketHandle(s);
}

void SleepMs(uint32_t dwMilliseconds) { platform::SleepMs(dwMilliseconds); }
