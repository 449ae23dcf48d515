#ifndef KESTO_COMMON_ZNBUFFER_H
#define KESTO_COMMON_ZNBUFFER_H

#include <cstddef>
#include <cstdint>

// The array allocation behind message buffers and the text buffers handed to
// callers. It never throws, so the messages can report an exhausted heap, and
// hands out zeroed bytes, so no stale heap content reaches a raw form.
uint8_t* ZNAllocBytes(size_t nBytes);
char* ZNAllocChars(size_t nChars);
void ZNFreeBytes(uint8_t* p);
void ZNFreeChars(char* p);

// Tests make allocations fail through this hook: it is asked before every
// allocation and a true answer makes it fail. Null removes the hook.
using ZNAllocFailHook = bool (*)(size_t nBytes);
void ZNSetAllocFailHook(ZNAllocFailHook pfnHook);

#endif
