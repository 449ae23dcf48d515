#include <sys/mman.h>

#include <cstdint>

#include "platform/PageAdvice.h"

namespace platform {

void AdviseLargePages(void* pBegin, size_t nBytes) {
#ifdef MADV_HUGEPAGE
  // The x86-64 and arm64 large page; only whole ones inside the range are advised.
  constexpr uintptr_t kLargePage = uintptr_t{2} << 20;
  const uintptr_t uBegin = (reinterpret_cast<uintptr_t>(pBegin) + kLargePage - 1) & ~(kLargePage - 1);
  const uintptr_t uEnd = (reinterpret_cast<uintptr_t>(pBegin) + nBytes) & ~(kLargePage - 1);
  // A refusal (no such pages configured) leaves small pages, which work as before.
  if (uEnd > uBegin) madvise(reinterpret_cast<void*>(uBegin), uEnd - uBegin, MADV_HUGEPAGE);
#else
  (void)pBegin;
  (void)nBytes;
#endif
}

}  // namespace platform
