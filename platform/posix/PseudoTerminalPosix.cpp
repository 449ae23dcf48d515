#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>

#include "platform/PseudoTerminal.h"

namespace platform {

namespace {

class PseudoTerminalPosix : public PseudoTerminal {
 public:
  PseudoTerminalPosix(int iMaster, int iSlave, std::string sDevice, std::string sLink)
      : m_iMaster(iMaster), m_iSlave(iSlave), m_sDevice(std::move(sDevice)), m_sLink(std::move(sLink)) {}
  ~PseudoTerminalPosix() override {
    ::unlink(m_sLink.c_str());
    ::close(m_iSlave);
    ::close(m_iMaster);
  }
  std::string DeviceName() const override { return m_sDevice; }
  bool WaitReadable(int iMilliseconds) override {
    pollfd entry{m_iMaster, POLLIN, 0};
    int iReady;
    do {
      iReady = ::poll(&entry, 1, iMilliseconds < 0 ? 0 : iMilliseconds);
    } while (iReady < 0 && errno == EINTR);
    return iReady > 0 && (entry.revents & POLLIN) != 0;
  }
  long Read(void* pBuffer, size_t nSize) override {
    ssize_t got;
    do {
      got = ::read(m_iMaster, pBuffer, nSize);
    } while (got < 0 && errno == EINTR);
    if (got < 0 && errno == EAGAIN) return 0;
    return static_cast<long>(got);
  }
  bool WriteAll(const void* pData, size_t nSize) override {
    const auto* pBytes = static_cast<const char*>(pData);
    while (nSize > 0) {
      ssize_t written = ::write(m_iMaster, pBytes, nSize);
      if (written < 0 && errno == EINTR) continue;
      if (written < 0 && errno == EAGAIN) {
        // The program on the far end reads slowly: wait a while for room, then give up.
        pollfd entry{m_iMaster, POLLOUT, 0};
        if (::poll(&entry, 1, 1000) <= 0) return false;
        continue;
      }
      if (written <= 0) return false;
      pBytes += written;
      nSize -= static_cast<size_t>(written);
    }
    return true;
  }

 private:
  int m_iMaster;
  int m_iSlave;  // kept open, so the line stays up between the programs that open the link
  std::string m_sDevice;
  std::string m_sLink;
};

}  // namespace

std::unique_ptr<PseudoTerminal> PseudoTerminal::Open(const std::string& sLink, std::string* psError) {
  struct stat info{};
  if (::lstat(sLink.c_str(), &info) == 0) {
    if (!S_ISLNK(info.st_mode)) {
      *psError = sLink + " exists and is not a link";
      return nullptr;
    }
    char szTarget[256] = {};
    const ssize_t n = ::readlink(sLink.c_str(), szTarget, sizeof szTarget - 1);
    if (n <= 0 || std::strncmp(szTarget, "/dev/pts/", 9) != 0) {
      *psError = sLink + " exists and is not a link to a pseudo-terminal";
      return nullptr;
    }
    ::unlink(sLink.c_str());  // left behind by an earlier run that was killed
  }
  int iMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (iMaster < 0 || ::grantpt(iMaster) != 0 || ::unlockpt(iMaster) != 0) {
    *psError = std::string("cannot make a pseudo-terminal: ") + std::strerror(errno);
    if (iMaster >= 0) ::close(iMaster);
    return nullptr;
  }
  const char* pszName = ::ptsname(iMaster);
  std::string sDevice = pszName != nullptr ? pszName : "";
  int iSlave = sDevice.empty() ? -1 : ::open(sDevice.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (iSlave < 0) {
    *psError = std::string("cannot open the pseudo-terminal: ") + std::strerror(errno);
    ::close(iMaster);
    return nullptr;
  }
  // Bytes pass unchanged: no echo, no newline translation.
  termios raw{};
  ::tcgetattr(iSlave, &raw);
  ::cfmakeraw(&raw);
  ::tcsetattr(iSlave, TCSANOW, &raw);
  if (::symlink(sDevice.c_str(), sLink.c_str()) != 0) {
    *psError = "cannot make the link " + sLink + ": " + std::strerror(errno);
    ::close(iSlave);
    ::close(iMaster);
    return nullptr;
  }
  return std::make_unique<PseudoTerminalPosix>(iMaster, iSlave, sDevice, sLink);
}

}  // namespace platform
