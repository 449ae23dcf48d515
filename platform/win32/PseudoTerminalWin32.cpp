#include "platform/PseudoTerminal.h"

namespace platform {

std::unique_ptr<PseudoTerminal> PseudoTerminal::Open(const std::string&, std::string* psError) {
  *psError = "--pty is for Linux; on Windows share the line with --listen 127.0.0.1:PORT";
  return nullptr;
}

}  // namespace platform
