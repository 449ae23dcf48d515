#ifndef KESTO_PLATFORM_WHOLEFILE_H
#define KESTO_PLATFORM_WHOLEFILE_H

#include <csignal>
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

enum class FileReadResult { kRead, kTooLarge, kStopped, kFailed };

// Reads the whole file at sPath (UTF-8; empty: standard input) into *psText.
// Only a regular file, a pipe or FIFO (or standard input) is read: a directory or a
// device is refused. Over nMaxBytes it stops reading (kTooLarge). While it
// waits for more (a FIFO, a terminal), *pbStop set by a signal ends the read
// (kStopped). kFailed gives the system's reason, or why such a file is not read, in
// *psReason.
FileReadResult ReadWholeFile(const std::string& sPath, size_t nMaxBytes, const volatile std::sig_atomic_t* pbStop,
                             std::string* psText, std::string* psReason);

enum class FileWriteResult { kWritten, kExists, kFailed };

// Writes bytes to a new temporary file beside sPath (created exclusively, so a
// file or link planted under its name is never followed), flushes it to disk and
// renames it to sPath: a reader never sees half a file and a failed write leaves
// the old one. Without bReplace an existing sPath, even one made while this
// writes, is left alone (kExists). kFailed gives the system's reason in *psReason.
FileWriteResult WriteWholeFile(const std::string& sPath, std::string_view bytes, bool bReplace, std::string* psReason);

// Whether something (a file, a directory, a link even to nothing) is at sPath.
bool PathExists(const std::string& sPath);

}  // namespace platform

#endif
