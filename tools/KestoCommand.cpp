#include "tools/KestoCommand.h"

namespace {

volatile std::sig_atomic_t g_bStop = 0;

void OnStopSignal(int) { g_bStop = 1; }

}  // namespace

const volatile std::sig_atomic_t* StopOnSignals() {
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
  return &g_bStop;
}
