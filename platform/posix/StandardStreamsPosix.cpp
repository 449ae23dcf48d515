#include <errno.h>
#include <termios.h>
#include <unistd.h>

#include "platform/StandardStreams.h"

namespace platform {

namespace {

termios g_saved{};
bool g_bRaw = false;

}  // namespace

bool IsStandardInputTerminal() { return ::isatty(STDIN_FILENO) == 1; }

void UseBinaryStandardStreams() {}

long ReadStandardInput(void* pBuffer, size_t nSize) {
  ssize_t got;
  do {
    got = ::read(STDIN_FILENO, pBuffer, nSize);
  } while (got < 0 && errno == EINTR);
  return static_cast<long>(got);
}

bool WriteStandardOutput(const void* pData, size_t nSize) {
  const auto* pBytes = static_cast<const char*>(pData);
  while (nSize > 0) {
    ssize_t written = ::write(STDOUT_FILENO, pBytes, nSize);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    pBytes += written;
    nSize -= static_cast<size_t>(written);
  }
  return true;
}

bool EnterRawTerminalInput() {
  if (g_bRaw) return true;
  if (::tcgetattr(STDIN_FILENO, &g_saved) != 0) return false;
  termios raw = g_saved;
  ::cfmakeraw(&raw);
  // Output keeps its newline handling, so lines printed beside the data stay lines.
  raw.c_oflag = g_saved.c_oflag;
  if (::tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) return false;
  g_bRaw = true;
  return true;
}

void LeaveRawTerminalInput() {
  if (!g_bRaw) return;
  ::tcsetattr(STDIN_FILENO, TCSANOW, &g_saved);
  g_bRaw = false;
}

}  // namespace platform
