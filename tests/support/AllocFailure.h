#ifndef KESTO_TESTS_ALLOCFAILURE_H
#define KESTO_TESTS_ALLOCFAILURE_H

#include <cstddef>

#include "COMMON/ZNBuffer.h"

// While alive, every message-buffer allocation fails (or only those of at
// least nMinBytes), as if the heap were exhausted.
class AllocFailure {
 public:
  explicit AllocFailure(size_t nMinBytes = 0) {
    s_nMinBytes = nMinBytes;
    ZNSetAllocFailHook([](size_t nBytes) { return nBytes >= s_nMinBytes; });
  }
  ~AllocFailure() { ZNSetAllocFailHook(nullptr); }
  AllocFailure(const AllocFailure&) = delete;
  AllocFailure& operator=(const AllocFailure&) = delete;

 private:
  static inline size_t s_nMinBytes = 0;
};

#endif
