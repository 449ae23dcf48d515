#include <windows.h>

#include <string>
#include <string_view>

namespace platform {

void WriteDebuggerText(std::string_view text) {
  std::string line(text);
  OutputDebugStringA(line.c_str());
}

}  // namespace platform
