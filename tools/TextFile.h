#ifndef KESTO_TOOLS_TEXTFILE_H
#define KESTO_TOOLS_TEXTFILE_H

#include <cstddef>
#include <string>

// Reads a whole file ("-" is standard input), refusing one over nMaxBytes.
// False with a message that names the file.
bool ReadTextFile(const std::string& sPath, size_t nMaxBytes, std::string* psText, std::string* psError);

// Writes the text to a temporary file beside sPath and renames it over sPath,
// so a reader never sees half a file and a failed write leaves the old one.
bool WriteFileAtomically(const std::string& sPath, const std::string& sText, std::string* psError);

#endif
