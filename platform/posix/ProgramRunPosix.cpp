#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstring>

#include "platform/ProgramRun.h"
#include "platform/TickCount.h"

extern char** environ;

namespace platform {

namespace {

// Keeps what fits under the limit and notes that the rest was dropped.
void Keep(std::string* pText, const char* pData, size_t nData, size_t nMax, bool* pbCut) {
  const size_t nRoom = nMax > pText->size() ? nMax - pText->size() : 0;
  if (nData > nRoom) *pbCut = true;
  pText->append(pData, std::min(nData, nRoom));
}

}  // namespace

ProgramResult RunProgram(const std::vector<std::string>& argv, uint32_t dwTimeoutMs, size_t nMaxOutput) {
  ProgramResult result;
  if (argv.empty()) return result;
  int out[2], err[2];
  if (::pipe2(out, O_CLOEXEC) != 0) {
    result.sError = std::strerror(errno);
    return result;
  }
  if (::pipe2(err, O_CLOEXEC) != 0) {
    result.sError = std::strerror(errno);
    ::close(out[0]);
    ::close(out[1]);
    return result;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  std::vector<char*> args;
  for (const std::string& sArg : argv) args.push_back(const_cast<char*>(sArg.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int iSpawn = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  ::close(err[1]);
  if (iSpawn != 0) {
    result.sError = std::strerror(iSpawn);
    ::close(out[0]);
    ::close(err[0]);
    return result;
  }
  result.bStarted = true;

  const uint32_t dwStart = GetTickCount32();
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  int nOpen = 2;
  char buffer[4096];
  while (nOpen > 0) {
    const uint32_t dwElapsed = GetTickCount32() - dwStart;
    if (dwElapsed >= dwTimeoutMs) {
      result.bTimedOut = true;
      break;
    }
    const int iReady = ::poll(fds, 2, static_cast<int>(dwTimeoutMs - dwElapsed));
    if (iReady < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t nRead = ::read(fds[i].fd, buffer, sizeof buffer);
      if (nRead > 0) {
        Keep(i == 0 ? &result.sOutput : &result.sErrors, buffer, static_cast<size_t>(nRead), nMaxOutput, &result.bCut);
      } else if (nRead == 0 || errno != EINTR) {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --nOpen;
      }
    }
  }
  for (const pollfd& fd : fds)
    if (fd.fd >= 0) ::close(fd.fd);
  // Output closed is not the end of the program: it still gets only the time left.
  int iStatus = 0;
  pid_t ended = 0;
  while (!result.bTimedOut && (ended = ::waitpid(pid, &iStatus, WNOHANG)) == 0) {
    if (GetTickCount32() - dwStart >= dwTimeoutMs) result.bTimedOut = true;
    else ::poll(nullptr, 0, 5);
  }
  if (result.bTimedOut) {
    ::kill(pid, SIGKILL);
    while (::waitpid(pid, &iStatus, 0) < 0 && errno == EINTR) {
    }
  }
  if (!result.bTimedOut && WIFEXITED(iStatus)) result.iExitCode = WEXITSTATUS(iStatus);
  return result;
}

HostFirewall GetHostFirewall() { return HostFirewall::kNetfilter; }

}  // namespace platform
