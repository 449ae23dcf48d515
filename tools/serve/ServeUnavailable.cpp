// The Windows build: the HTTP library is not built for it (see docs/tools.md).
#include <ostream>

#include "tools/ExitCodes.h"
#include "tools/ServeCommand.h"

int RunServe(const ServeOptions&, std::ostream&, std::ostream& err, const volatile std::sig_atomic_t*) {
  err << "kesto: serve runs on Linux only; this Windows build has no HTTP server\n";
  return kExitFailed;
}
