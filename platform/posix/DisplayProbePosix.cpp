#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/DisplayProbe.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// X servers listen on TCP port 6000 + display number.
constexpr int kX11TcpBase = 6000;

class CSocketFd {
 public:
  explicit CSocketFd(int iFamily) : m_fd(::socket(iFamily, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)) {}
  ~CSocketFd() {
    if (m_fd >= 0) ::close(m_fd);
  }
  CSocketFd(const CSocketFd&) = delete;
  CSocketFd& operator=(const CSocketFd&) = delete;
  int Get() const { return m_fd; }

 private:
  int m_fd;
};

int MsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd entry{fd, events, 0};
    const int rc = ::poll(&entry, 1, MsLeft(deadline));
    if (rc > 0) return true;
    if (rc == 0 || errno != EINTR) return false;
  }
}

bool ConnectBefore(int fd, const sockaddr* pAddress, socklen_t len, Clock::time_point deadline) {
  if (fd < 0) return false;
  if (::connect(fd, pAddress, len) == 0) return true;
  if (errno != EINPROGRESS && errno != EAGAIN && errno != EINTR) return false;
  if (!WaitFor(fd, POLLOUT, deadline)) return false;
  int iError = 0;
  socklen_t errorLen = sizeof iError;
  return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &iError, &errorLen) == 0 && iError == 0;
}

// A connection setup without authorization: every X server replies to it at
// once (accepted, refused or asking for more), so any first byte is an answer.
bool XServerAnswers(int fd, Clock::time_point deadline) {
  static const unsigned char kSetup[12] = {'l', 0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  if (::send(fd, kSetup, sizeof kSetup, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof kSetup)) return false;
  if (!WaitFor(fd, POLLIN, deadline)) return false;
  unsigned char reply = 0;
  return ::recv(fd, &reply, 1, 0) == 1;
}

bool UnixAddress(std::string_view path, bool bAbstract, sockaddr_un* pAddress, socklen_t* pLen) {
  std::memset(pAddress, 0, sizeof *pAddress);
  pAddress->sun_family = AF_UNIX;
  const size_t offset = bAbstract ? 1 : 0;
  if (path.empty() || path.size() + offset >= sizeof pAddress->sun_path) return false;
  std::memcpy(pAddress->sun_path + offset, path.data(), path.size());
  *pLen = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size() + (bAbstract ? 0 : 1));
  return true;
}

bool UnixConnects(std::string_view path, bool bAbstract, bool bX11, Clock::time_point deadline) {
  sockaddr_un address;
  socklen_t len = 0;
  if (!UnixAddress(path, bAbstract, &address, &len)) return false;
  CSocketFd fd(AF_UNIX);
  if (!ConnectBefore(fd.Get(), reinterpret_cast<const sockaddr*>(&address), len, deadline)) return false;
  return !bX11 || XServerAnswers(fd.Get(), deadline);
}

bool LoopbackXServerAnswers(const std::string& sHost, long lDisplay, Clock::time_point deadline) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(kX11TcpBase + lDisplay));
  if (::inet_pton(AF_INET, sHost == "localhost" ? "127.0.0.1" : sHost.c_str(), &address.sin_addr) != 1) return false;
  CSocketFd fd(AF_INET);
  return ConnectBefore(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address, deadline) &&
         XServerAnswers(fd.Get(), deadline);
}

// An environment value as it may be shown on one terminal line.
std::string Shown(const char* pszValue) {
  std::string sShown;
  for (const char* p = pszValue; *p != '\0' && sShown.size() < 64; ++p) sShown += (*p >= 0x20 && *p < 0x7f) ? *p : '?';
  return sShown;
}

// "[host]:number[.screen]"; false with the reason when nothing there answers.
bool X11Answers(const char* pszDisplay, int iTimeoutMs, std::string* psProblem) {
  const std::string sDisplay = pszDisplay;
  const std::string sShown = "DISPLAY=" + Shown(pszDisplay);
  const size_t colon = sDisplay.rfind(':');
  if (!sDisplay.empty() && sDisplay[0] == '/') return true;  // a socket path some systems hand out: trusted
  char* pEnd = nullptr;
  const long lDisplay =
      colon == std::string::npos ? -1 : std::strtol(sDisplay.c_str() + colon + 1, &pEnd, 10);
  if (lDisplay < 0 || lDisplay > 59535 || pEnd == sDisplay.c_str() + colon + 1 || (*pEnd != '\0' && *pEnd != '.')) {
    *psProblem = sShown + " is not a display name";
    return false;
  }
  const std::string sHost = sDisplay.substr(0, colon);
  const auto deadline = Clock::now() + std::chrono::milliseconds(iTimeoutMs);
  bool bAnswers = false;
  if (sHost.empty() || sHost == "unix") {
    const std::string sPath = "/tmp/.X11-unix/X" + std::to_string(lDisplay);
    bAnswers = UnixConnects(sPath, false, true, deadline);
#ifdef __linux__
    if (!bAnswers) bAnswers = UnixConnects(sPath, true, true, deadline);
#endif
  } else if (sHost == "localhost" || sHost.rfind("127.", 0) == 0) {
    bAnswers = LoopbackXServerAnswers(sHost, lDisplay, deadline);
  } else {
    return true;  // another host: never probed from here, Qt will say
  }
  if (!bAnswers) *psProblem = "no X server answers at " + sShown;
  return bAnswers;
}

bool WaylandAnswers(const char* pszName, int iTimeoutMs, std::string* psProblem) {
  std::string sPath = pszName;
  if (sPath.empty() || sPath[0] != '/') {
    const char* pszRuntime = std::getenv("XDG_RUNTIME_DIR");
    if (pszRuntime == nullptr || *pszRuntime == '\0') {
      *psProblem = "WAYLAND_DISPLAY is set but XDG_RUNTIME_DIR is not";
      return false;
    }
    sPath = std::string(pszRuntime) + "/" + sPath;
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(iTimeoutMs);
  if (UnixConnects(sPath, false, false, deadline)) return true;
  *psProblem = "no compositor answers at WAYLAND_DISPLAY=" + Shown(pszName);
  return false;
}

}  // namespace

bool FindDisplay(int iTimeoutMs, std::string* psProblem) {
  const char* pszX11 = std::getenv("DISPLAY");
  const char* pszWayland = std::getenv("WAYLAND_DISPLAY");
  const bool bX11 = pszX11 != nullptr && *pszX11 != '\0';
  const bool bWayland = pszWayland != nullptr && *pszWayland != '\0';
  if (!bX11 && !bWayland) {
    *psProblem = "neither DISPLAY nor WAYLAND_DISPLAY is set";
    return false;
  }
  std::string sX11Problem, sWaylandProblem;
  if (bWayland && WaylandAnswers(pszWayland, iTimeoutMs, &sWaylandProblem)) return true;
  if (bX11 && X11Answers(pszX11, iTimeoutMs, &sX11Problem)) return true;
  *psProblem = !sX11Problem.empty() && !sWaylandProblem.empty() ? sX11Problem + ", " + sWaylandProblem
                                                                : sX11Problem + sWaylandProblem;
  return false;
}

}  // namespace platform
