#ifndef KESTO_PLATFORM_STANDARDSTREAMS_H
#define KESTO_PLATFORM_STANDARDSTREAMS_H

#include <cstddef>

namespace platform {

// Standard input and output as byte streams, for a line that passes every byte
// value unchanged.
bool IsStandardInputTerminal();
// No newline translation on either (Windows would turn LF into CR LF).
void UseBinaryStandardStreams();
// One read: the byte count, 0 at the end of input, -1 on failure.
long ReadStandardInput(void* pBuffer, size_t nSize);
// Writes every byte at once, unbuffered; false on failure.
bool WriteStandardOutput(const void* pData, size_t nSize);

// The terminal on standard input in raw mode (no echo, no line editing, keys
// such as Ctrl-C passed as bytes), until LeaveRawTerminalInput; false when it
// is no terminal or cannot be switched.
bool EnterRawTerminalInput();
void LeaveRawTerminalInput();

}  // namespace platform

#endif
