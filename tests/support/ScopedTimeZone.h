#ifndef KESTO_TESTS_SCOPEDTIMEZONE_H
#define KESTO_TESTS_SCOPEDTIMEZONE_H

#include <stdlib.h>
#include <time.h>

#include <optional>
#include <string>

// Sets TZ for this test process and puts the previous value back on destruction,
// so a test's zone never leaks into the next test (and never reaches the machine).
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* pszZone) {
    if (const char* pszOld = ::getenv("TZ")) m_sOld = pszOld;
    ::setenv("TZ", pszZone, 1);
    ::tzset();
  }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;
  ~ScopedTimeZone() {
    if (m_sOld) {
      ::setenv("TZ", m_sOld->c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
  }

 private:
  std::optional<std::string> m_sOld;
};

#endif
