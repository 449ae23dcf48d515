#ifndef KESTO_COMMON_ZNERROR_H
#define KESTO_COMMON_ZNERROR_H

#include <cstdint>
#include <string>

// The support library's exception: an error number with the file text and line
// of the place that raised it. Thrown and caught by value. Every construction
// (not copy) writes one line to the debugger output, so a failure leaves a trace
// even when a handler swallows it.
class CZNError {
 public:
  // Number 0, file "Unknown", line -1; writes "CZNError: Unknown\n".
  CZNError();
  // File "Unknown", line -1; writes "CZNError: #=<number>\n".
  explicit CZNError(int32_t iNumber);
  // Writes "CZNError: #=<number>, File=<file>, Line=<line>\n". An absent file
  // text is held as empty and shown as "(null)".
  CZNError(int32_t iNumber, const char* pszFile, int32_t iLine);
  // Copies the fields and writes nothing.
  CZNError(const CZNError& other);
  CZNError& operator=(const CZNError& other) = default;
  ~CZNError() = default;

  int32_t m_iNumber;
  std::string m_sFile;
  int32_t m_iLine;
};

#endif
