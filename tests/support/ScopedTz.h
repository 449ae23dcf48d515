#ifndef KESTO_TESTS_SUPPORT_SCOPEDTZ_H
#define KESTO_TESTS_SUPPORT_SCOPEDTZ_H

#include <stdlib.h>
#include <time.h>

#include <optional>
#include <string>

// Sets TZ for this test process and puts the previous setting back on exit, so
// local-time tests see a known zone whatever the machine is set to.
class ScopedTz {
 public:
  explicit ScopedTz(const char* pszZone) {
    if (const char* pszOld = getenv("TZ")) m_sOld = pszOld;
    setenv("TZ", pszZone, 1);
    tzset();
  }
  ~ScopedTz() {
    if (m_sOld) {
      setenv("TZ", m_sOld->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  ScopedTz(const ScopedTz&) = delete;
  ScopedTz& operator=(const ScopedTz&) = delete;

 private:
  std::optional<std::string> m_sOld;
};

#endif
