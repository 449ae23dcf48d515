#ifndef KESTO_TOOLS_WATCHCOMMAND_H
#define KESTO_TOOLS_WATCHCOMMAND_H

#include <csignal>
#include <iosfwd>

#include "tools/FinderSession.h"
#include "tools/KestoCommand.h"

// A device is reported removed once silent for longer than this. Its answers come
// a little after each probe, so after one lost answer it has been silent for two
// probe intervals plus that delay, just over the finder's own AGE_LIMIT_MS; half an
// interval more rides out one loss and still drops a device that missed two.
constexpr int kWatchAgeLimitMs = static_cast<int>(AGE_LIMIT_MS + PROBE_INTERVAL_MS / 2);

struct WatchOptions {
  TargetOptions target;
  int iDurationMs = -1;  // negative: until stopped
  bool bJson = false;
  int iAgeLimitMs = kWatchAgeLimitMs;
  bool bAgeLimitGiven = false;  // otherwise it grows with the finder's own limit for a --target sweep
};

// `kesto watch`: runs the finder's passes and prints one line per device that
// is added, changed or removed, until the duration ends or *pbStop is set.
int RunWatch(const WatchOptions& options, std::ostream& out, std::ostream& err,
             const volatile std::sig_atomic_t* pbStop);

// Adds `kesto watch` and its options.
void AddWatchCommand(CLI::App* pApp, KestoCommands* pCommands);

#endif
