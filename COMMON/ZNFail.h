#ifndef KESTO_COMMON_ZNFAIL_H
#define KESTO_COMMON_ZNFAIL_H

#include <string>
#include <utility>

// The error style of every reader and parser here: false, with the reason in
// *psError when the caller asked for one.
inline bool Fail(std::string* psError, std::string sMessage) {
  if (psError != nullptr) *psError = std::move(sMessage);
  return false;
}

#endif
