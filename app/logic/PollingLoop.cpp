#include "app/logic/PollingLoop.h"

#include "discovery/KestoFinder.h"
#include "platform/SleepMs.h"

void CPollingLoop::Turn(const Steps& steps) {
  if (!steps.fnHandleEvents()) steps.fnPause(kPauseMs);
  steps.fnPass();
}

void CPollingLoop::Run(const Steps& steps) {
  while (!steps.fnQuitRequested()) Turn(steps);
}

void CPollingLoop::PauseForAnswer(CKestoFinder& finder, int iMs) {
  if (finder.IsSocketOpen())
    finder.WaitForAnswer(iMs);
  else
    platform::SleepMs(static_cast<uint32_t>(iMs));
}
