#ifndef KESTO_APP_LOGIC_POLLINGLOOP_H
#define KESTO_APP_LOGIC_POLLINGLOOP_H

#include <functional>

class CKestoFinder;

// The program's own loop, which is also its only clock: handle what waits, or
// pause when nothing does, then one polling pass, until the quit flag is raised.
class CPollingLoop {
 public:
  // The longest idle pause; answers and input are never left waiting longer.
  static constexpr int kPauseMs = 10;

  struct Steps {
    std::function<bool()> fnQuitRequested;
    // Handles waiting input without blocking; true when something was handled.
    std::function<bool()> fnHandleEvents;
    // Waits at most the given milliseconds, ending early when an answer arrives.
    std::function<void(int)> fnPause;
    std::function<void()> fnPass;
  };

  // One turn: events or a pause, then a pass.
  static void Turn(const Steps& steps);
  static void Run(const Steps& steps);

  // The usual pause: waits on the finder's socket, or sleeps when there is none
  // (the wait would return at once and the loop would spin).
  static void PauseForAnswer(CKestoFinder& finder, int iMs);
};

#endif
