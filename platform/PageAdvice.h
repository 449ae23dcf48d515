#ifndef KESTO_PLATFORM_PAGEADVICE_H
#define KESTO_PLATFORM_PAGEADVICE_H

#include <cstddef>

namespace platform {

// Asks the system to back the whole large pages inside this freshly allocated range
// with large pages: writing megabytes into it then faults a few times instead of once
// per small page. Only a hint: does nothing where the system offers no such pages.
void AdviseLargePages(void* pBegin, size_t nBytes);

}  // namespace platform

#endif
