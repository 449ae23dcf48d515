#include "platform/MemoryRegistry.h"

namespace platform {

// POSIX has no registry; the store lives and dies with the process.
Registry& SystemRegistry() {
  static MemoryRegistry registry;
  return registry;
}

}  // namespace platform
