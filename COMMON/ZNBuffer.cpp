#include "COMMON/ZNBuffer.h"

#include <new>

namespace {
ZNAllocFailHook g_pfnFailHook = nullptr;
}  // namespace

uint8_t* ZNAllocBytes(size_t nBytes) {
  if (g_pfnFailHook != nullptr && g_pfnFailHook(nBytes)) return nullptr;
  return new (std::nothrow) uint8_t[nBytes]();
}

char* ZNAllocChars(size_t nChars) {
  if (g_pfnFailHook != nullptr && g_pfnFailHook(nChars)) return nullptr;
  return new (std::nothrow) char[nChars]();
}

void ZNFreeBytes(uint8_t* p) { delete[] p; }
void ZNFreeChars(char* p) { delete[] p; }

void ZNSetAllocFailHook(ZNAllocFailHook pfnHook) { g_pfnFailHook = pfnHook; }
