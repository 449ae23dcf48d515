#include "tools/serve/ConnectionGuard.h"

#include <fcntl.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace {
constexpr auto kLookEvery = std::chrono::milliseconds(50);

// shutdown() wakes a reader blocked on the socket, but Linux still queues what the
// peer sends after it, so a reader slower than its sender would read on for ever.
// An unconnected socket put in the descriptor's place makes the library's next read
// fail; the connection itself closes then, with a reset for its unread bytes.
void CutConnection(int fd) {
  ::shutdown(fd, SHUT_RDWR);
  const int iDead = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (iDead < 0) return;
  ::dup3(iDead, fd, O_CLOEXEC);
  ::close(iDead);
}
}  // namespace

void CConnectionGuard::Run() {
  std::map<std::string, std::chrono::steady_clock::time_point> firstSeen;
  while (!m_bStop) {
    std::this_thread::sleep_for(kLookEvery);
    if (m_pnOpen->load() == 0) {
      firstSeen.clear();
      continue;
    }
    const auto now = std::chrono::steady_clock::now();
    std::map<std::string, std::chrono::steady_clock::time_point> seen;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
      const std::string sName = entry.path().filename().string();
      std::error_code linkError;
      const std::string sLink = std::filesystem::read_symlink(entry.path(), linkError).string();
      if (linkError || !sLink.starts_with("socket:")) continue;
      const int fd = std::atoi(sName.c_str());
      if (!IsServedConnection(fd)) continue;
      const auto found = firstSeen.find(sLink);
      const auto since = found == firstSeen.end() ? now : found->second;
      seen[sLink] = since;
      tcp_info info{};
      socklen_t nInfo = sizeof info;
      const bool bTooMuch = getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &nInfo) == 0 &&
                            info.tcpi_bytes_received > kMaxConnectionBytes;
      const bool bTooLong = now - since > std::chrono::milliseconds(kMaxConnectionMs);
      if (bTooMuch || bTooLong) {
        CutConnection(fd);
        ++m_nCut;
      }
    }
    firstSeen.swap(seen);
  }
}


bool CConnectionGuard::IsServedConnection(int fd) const {
  int iValue = 0;
  socklen_t nValue = sizeof iValue;
  if (getsockopt(fd, SOL_SOCKET, SO_TYPE, &iValue, &nValue) != 0 || iValue != SOCK_STREAM) return false;
  nValue = sizeof iValue;
  if (getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &iValue, &nValue) != 0 || iValue != 0) return false;
  sockaddr_in local{};
  socklen_t nLocal = sizeof local;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &nLocal) != 0 || local.sin_family != AF_INET) return false;
  return ntohs(local.sin_port) == m_iPort;
}

