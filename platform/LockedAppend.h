#ifndef KESTO_PLATFORM_LOCKEDAPPEND_H
#define KESTO_PLATFORM_LOCKEDAPPEND_H

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Appends bytes to the file at the UTF-8 path sPath in one write, holding an
// exclusive lock on sPath + ".lock" meanwhile, so several programs appending to
// the same file never interleave their writes. When the file would grow past
// qwRotateAt bytes it is first renamed to sPath + ".1" (replacing the older one)
// and a new file begun. The folder is created when missing. The lock is waited
// for at most dwLockWaitMs; false with *psError when anything fails.
bool AppendLocked(const std::string& sPath, std::string_view bytes, uint64_t qwRotateAt, uint32_t dwLockWaitMs,
                  std::string* psError);

// The whole file at the UTF-8 path, at most nMaxBytes of it (the last ones when it
// is longer); false when it cannot be read (missing included).
bool ReadFileTail(const std::string& sPath, size_t nMaxBytes, std::string* psBytes);

}  // namespace platform

#endif
