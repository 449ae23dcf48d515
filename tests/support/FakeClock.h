#ifndef KESTO_TESTS_FAKECLOCK_H
#define KESTO_TESTS_FAKECLOCK_H

#include <cstdint>

#include "platform/TickCount.h"

// A tick source that moves only when told to, wrapping like the real one.
class FakeClock : public platform::TickSource {
 public:
  explicit FakeClock(uint32_t dwStart = 0) : m_dwNow(dwStart) {}
  uint32_t Now() override { return m_dwNow; }
  void Set(uint32_t dwNow) { m_dwNow = dwNow; }
  void Advance(uint32_t dwMs) { m_dwNow += dwMs; }

 private:
  uint32_t m_dwNow;
};

#endif
