#include "app/logic/PollingLoop.h"

void CPollingLoop::Turn(const Steps& steps) {
  if (!steps.fnHandleEvents()) steps.fnPause(kPauseMs);
  steps.fnPass();
}

void CPollingLoop::Run(const Steps& steps) {
  while (!steps.fnQuitRequested()) Turn(steps);
}
