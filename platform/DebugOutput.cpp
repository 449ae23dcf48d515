#include "platform/DebugOutput.h"

#include <mutex>
#include <utility>

namespace platform {

void WriteDebuggerText(std::string_view text);  // per platform

namespace {
std::mutex g_sinkMutex;
DebugOutputSink g_sink;
}  // namespace

void DebugOutput(std::string_view text) {
  std::lock_guard<std::mutex> lock(g_sinkMutex);
  if (g_sink) {
    g_sink(text);
    return;
  }
  WriteDebuggerText(text);
}

void SetDebugOutputSink(DebugOutputSink sink) {
  std::lock_guard<std::mutex> lock(g_sinkMutex);
  g_sink = std::move(sink);
}

}  // namespace platform
