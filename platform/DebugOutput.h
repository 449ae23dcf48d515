#ifndef KESTO_PLATFORM_DEBUGOUTPUT_H
#define KESTO_PLATFORM_DEBUGOUTPUT_H

#include <functional>
#include <string_view>

namespace platform {

// Writes one text, unchanged, to the debugger output: OutputDebugStringA on
// Windows, standard error elsewhere.
void DebugOutput(std::string_view text);

// Redirects DebugOutput to a callback (null restores the default); for tests.
using DebugOutputSink = std::function<void(std::string_view)>;
void SetDebugOutputSink(DebugOutputSink sink);

}  // namespace platform

#endif
