#ifndef KESTO_TESTS_DEBUGCAPTURE_H
#define KESTO_TESTS_DEBUGCAPTURE_H

#include <string>
#include <string_view>
#include <vector>

#include "platform/DebugOutput.h"

// Collects what is written to the debugger output while alive.
class DebugCapture {
 public:
  DebugCapture() {
    platform::SetDebugOutputSink([this](std::string_view text) { m_lines.emplace_back(text); });
  }
  ~DebugCapture() { platform::SetDebugOutputSink(nullptr); }
  DebugCapture(const DebugCapture&) = delete;
  DebugCapture& operator=(const DebugCapture&) = delete;

  const std::vector<std::string>& Lines() const { return m_lines; }

 private:
  std::vector<std::string> m_lines;
};

#endif
