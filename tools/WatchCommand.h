#ifndef KESTO_TOOLS_WATCHCOMMAND_H
#define KESTO_TOOLS_WATCHCOMMAND_H

#include <csignal>
#include <iosfwd>

#include "tools/FinderSession.h"

struct WatchOptions {
  TargetOptions target;
  int iDurationMs = -1;  // negative: until stopped
  bool bJson = false;
};

// `kesto watch`: runs the finder's passes and prints one line per device that
// is added, changed or removed, until the duration ends or *pbStop is set.
int RunWatch(const WatchOptions& options, std::ostream& out, std::ostream& err,
             const volatile std::sig_atomic_t* pbStop);

#endif
