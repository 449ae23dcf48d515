#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>

#include "platform/TcpStream.h"

namespace platform {

namespace {

sockaddr_in Native(const Ipv4Endpoint& endpoint) {
  sockaddr_in native{};
  native.sin_family = AF_INET;
  native.sin_port = htons(endpoint.wPort);
  native.sin_addr.s_addr = htonl(endpoint.dwAddress);
  return native;
}

std::string ErrorText(int iError) { return "socket error " + std::to_string(iError); }

bool WaitFor(SOCKET s, bool bWrite, int iMilliseconds) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  fd_set failed;
  FD_ZERO(&failed);
  FD_SET(s, &failed);
  if (iMilliseconds < 0) iMilliseconds = 0;
  timeval tv{iMilliseconds / 1000, (iMilliseconds % 1000) * 1000};
  // A failed non-blocking connect shows in the except set on Windows, not as writable.
  int iReady = bWrite ? select(0, nullptr, &set, &failed, &tv) : select(0, &set, nullptr, nullptr, &tv);
  return iReady > 0;
}

void SetStreamOptions(SOCKET s) {
  BOOL bOn = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&bOn), sizeof bOn);
  setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&bOn), sizeof bOn);
}

class TcpStreamWin32 : public TcpStream {
 public:
  TcpStreamWin32(SOCKET s, const Ipv4Endpoint& peer) : m_s(s), m_peer(peer) {}
  ~TcpStreamWin32() override { closesocket(m_s); }

  bool SendAll(const void* pData, size_t nSize) override {
    const char* pBytes = static_cast<const char*>(pData);
    while (nSize > 0) {
      int sent = send(m_s, pBytes, static_cast<int>(nSize), 0);
      if (sent == SOCKET_ERROR || sent == 0) return false;
      pBytes += sent;
      nSize -= static_cast<size_t>(sent);
    }
    return true;
  }
  bool WaitReadable(int iMilliseconds) override { return WaitFor(m_s, false, iMilliseconds); }
  long Receive(void* pBuffer, size_t nSize) override {
    int got = recv(m_s, static_cast<char*>(pBuffer), static_cast<int>(nSize), 0);
    return got == SOCKET_ERROR ? -1 : got;
  }
  void ShutdownSend() override { shutdown(m_s, SD_SEND); }
  Ipv4Endpoint Peer() const override { return m_peer; }

 private:
  SOCKET m_s;
  Ipv4Endpoint m_peer;
};

class TcpListenerWin32 : public TcpListener {
 public:
  TcpListenerWin32(SOCKET s, const Ipv4Endpoint& local) : m_s(s), m_local(local) {}
  ~TcpListenerWin32() override { closesocket(m_s); }
  Ipv4Endpoint LocalEndpoint() const override { return m_local; }
  bool WaitAcceptable(int iMilliseconds) override { return WaitFor(m_s, false, iMilliseconds); }
  std::unique_ptr<TcpStream> Accept() override {
    sockaddr_in peer{};
    int size = sizeof peer;
    SOCKET s = accept(m_s, reinterpret_cast<sockaddr*>(&peer), &size);
    if (s == INVALID_SOCKET) return nullptr;
    SetStreamOptions(s);
    return std::make_unique<TcpStreamWin32>(s, Ipv4Endpoint{ntohl(peer.sin_addr.s_addr), ntohs(peer.sin_port)});
  }
  intptr_t Handle() const override { return static_cast<intptr_t>(m_s); }

 private:
  SOCKET m_s;
  Ipv4Endpoint m_local;
};

}  // namespace

std::unique_ptr<TcpStream> TcpStream::Connect(const Ipv4Endpoint& to, int iTimeoutMs, TcpConnectError* pError,
                                              std::string* psError) {
  *pError = TcpConnectError::kOther;
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET) {
    *psError = ErrorText(WSAGetLastError());
    return nullptr;
  }
  SetStreamOptions(s);
  u_long ulOn = 1;
  ioctlsocket(s, FIONBIO, &ulOn);
  sockaddr_in native = Native(to);
  int iError = 0;
  if (connect(s, reinterpret_cast<const sockaddr*>(&native), sizeof native) == SOCKET_ERROR) {
    iError = WSAGetLastError();
    if (iError == WSAEWOULDBLOCK) {
      if (!WaitFor(s, true, iTimeoutMs)) {
        closesocket(s);
        *pError = TcpConnectError::kTimedOut;
        *psError = "no answer within " + std::to_string(iTimeoutMs) + " ms";
        return nullptr;
      }
      int size = sizeof iError;
      if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&iError), &size) != 0)
        iError = WSAGetLastError();
    }
  }
  if (iError != 0) {
    closesocket(s);
    *pError = iError == WSAECONNREFUSED                               ? TcpConnectError::kRefused
              : iError == WSAETIMEDOUT                                ? TcpConnectError::kTimedOut
              : iError == WSAEHOSTUNREACH || iError == WSAENETUNREACH ? TcpConnectError::kUnreachable
                                                                      : TcpConnectError::kOther;
    *psError = ErrorText(iError);
    return nullptr;
  }
  u_long ulOff = 0;
  ioctlsocket(s, FIONBIO, &ulOff);
  *pError = TcpConnectError::kNone;
  return std::make_unique<TcpStreamWin32>(s, to);
}

std::unique_ptr<TcpListener> TcpListener::Listen(const Ipv4Endpoint& at, std::string* psError) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET) {
    *psError = ErrorText(WSAGetLastError());
    return nullptr;
  }
  sockaddr_in native = Native(at);
  int size = sizeof native;
  if (bind(s, reinterpret_cast<const sockaddr*>(&native), sizeof native) != 0 || listen(s, 4) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&native), &size) != 0) {
    *psError = ErrorText(WSAGetLastError());
    closesocket(s);
    return nullptr;
  }
  return std::make_unique<TcpListenerWin32>(s, Ipv4Endpoint{ntohl(native.sin_addr.s_addr), ntohs(native.sin_port)});
}

std::vector<size_t> WaitAnyAcceptable(const std::vector<TcpListener*>& listeners, int iMilliseconds) {
  std::vector<size_t> ready;
  if (listeners.empty()) return ready;
  // select takes 64 sockets a set on Windows: wait on the first 64 by select,
  // the rest are looked at without waiting.
  for (size_t iStart = 0; iStart < listeners.size() && iStart < 256; iStart += 64) {
    fd_set set;
    FD_ZERO(&set);
    for (size_t i = iStart; i < listeners.size() && i < iStart + 64; ++i)
      FD_SET(static_cast<SOCKET>(listeners[i]->Handle()), &set);
    const int iWait = iStart == 0 ? (iMilliseconds < 0 ? 0 : iMilliseconds) : 0;
    timeval tv{iWait / 1000, (iWait % 1000) * 1000};
    if (select(0, &set, nullptr, nullptr, &tv) <= 0) continue;
    for (size_t i = iStart; i < listeners.size() && i < iStart + 64; ++i)
      if (FD_ISSET(static_cast<SOCKET>(listeners[i]->Handle()), &set)) ready.push_back(i);
  }
  return ready;
}

}  // namespace platform
