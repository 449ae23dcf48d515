#ifndef KESTO_TOOLS_TEXTFILE_H
#define KESTO_TOOLS_TEXTFILE_H

#include <csignal>
#include <cstddef>
#include <string>

// Reads a whole file ("-" is standard input), refusing one over nMaxBytes, a
// directory or a device. A wait for more (a FIFO, a terminal) ends once *pbStop
// is set. False with a message that names the file and the reason.
bool ReadTextFile(const std::string& sPath, size_t nMaxBytes, const volatile std::sig_atomic_t* pbStop,
                  std::string* psText, std::string* psError);

// Writes the text safely (platform::WriteWholeFile): an existing sPath is
// replaced only with bReplace. False with a message that names the file and
// the reason ("x.json exists; give --force to replace it" without bReplace, and
// *pbExists set then).
bool WriteTextFile(const std::string& sPath, const std::string& sText, bool bReplace, std::string* psError,
                   bool* pbExists = nullptr);

#endif
