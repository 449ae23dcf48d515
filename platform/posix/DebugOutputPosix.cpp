#include <unistd.h>

#include <string_view>

namespace platform {

void WriteDebuggerText(std::string_view text) {
  // One write call keeps lines from different threads whole.
  const char* p = text.data();
  size_t n = text.size();
  while (n > 0) {
    ssize_t written = ::write(STDERR_FILENO, p, n);
    if (written <= 0) return;
    p += written;
    n -= static_cast<size_t>(written);
  }
}

}  // namespace platform
