#ifndef KESTO_PLATFORM_POSIX_FILECALLSPOSIX_H
#define KESTO_PLATFORM_POSIX_FILECALLSPOSIX_H

#include <string>
#include <string_view>

// The file calls the POSIX file code shares: writing bytes so that they reach
// the disk before the caller goes on, and the system's words for a failure.
namespace platform {

// The system's text for the error number iError.
std::string ErrnoReason(int iError);

// Writes all of bytes to fd (a short write is continued) and flushes them to the
// disk; false with the system's reason in *psReason.
bool WriteAllToDisk(int fd, std::string_view bytes, std::string* psReason);

// Flushes the folder holding sPath, so a file just made or renamed there stays
// named after a crash. A file system that cannot flush folders is not a failure.
bool SyncFolderOf(const std::string& sPath, std::string* psReason);

}  // namespace platform

#endif
