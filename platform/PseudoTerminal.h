#ifndef KESTO_PLATFORM_PSEUDOTERMINAL_H
#define KESTO_PLATFORM_PSEUDOTERMINAL_H

#include <cstddef>
#include <memory>
#include <string>

namespace platform {

// A pseudo-terminal in raw mode whose far end is reachable at a stable link
// name, for programs that want a serial device. Line settings made on it stay
// there. The link is removed when this is destroyed. Linux only.
class PseudoTerminal {
 public:
  virtual ~PseudoTerminal() = default;
  // Refuses a link name that exists already and is not a link to a pseudo-terminal.
  static std::unique_ptr<PseudoTerminal> Open(const std::string& sLink, std::string* psError);
  virtual std::string DeviceName() const = 0;
  virtual bool WaitReadable(int iMilliseconds) = 0;
  // One read: the byte count, 0 when nothing is there, -1 on failure.
  virtual long Read(void* pBuffer, size_t nSize) = 0;
  virtual bool WriteAll(const void* pData, size_t nSize) = 0;
};

}  // namespace platform

#endif
