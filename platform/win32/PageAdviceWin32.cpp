#include "platform/PageAdvice.h"

namespace platform {

// Windows gives large pages only to accounts holding a privilege, from allocations
// made for them, so a range already allocated keeps its small pages.
void AdviseLargePages(void*, size_t) {}

}  // namespace platform
