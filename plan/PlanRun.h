#ifndef KESTO_PLAN_PLANRUN_H
#define KESTO_PLAN_PLANRUN_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What became of one planned device.
enum class DeviceOutcome { kUnchanged, kConfirmed, kNotConfirmed, kNotFound, kNotSent, kRefused };
// "unchanged", "confirmed", "not confirmed", "not found", "not sent", "refused".
const char* DeviceOutcomeText(DeviceOutcome outcome);

// Sends a number of devices' settings with at most nParallel awaiting their
// confirmation at once; each has dwWaitMs from its send to be confirmed. It
// holds no socket: the caller's loop calls Pump once per pass with the clock
// and two callbacks, so any loop (the command line's, a window's timer) drives it.
class CPlanRun {
 public:
  // Sends step i: empty when sent, else why not (the step is then refused).
  using SendFn = std::function<std::string(size_t)>;
  // True when step i's device now shows its new values.
  using ConfirmedFn = std::function<bool(size_t)>;

  CPlanRun(size_t nSteps, size_t nParallel, uint32_t dwWaitMs);

  // Settles the steps awaiting confirmation (confirmed, or their wait is over),
  // then starts steps in order while fewer than nParallel await. Returns how
  // many it started, so the caller knows to ask the devices again.
  size_t Pump(uint32_t dwNow, const SendFn& fnSend, const ConfirmedFn& fnConfirmed);
  // Sends nothing more: steps awaiting confirmation are not confirmed, the rest not sent.
  void Stop();

  bool IsDone() const { return m_nDone == m_outcomes.size(); }
  size_t DoneCount() const { return m_nDone; }
  size_t AwaitingCount() const { return m_awaiting.size(); }
  DeviceOutcome Outcome(size_t i) const { return m_outcomes[i]; }
  const std::string& Reason(size_t i) const { return m_reasons[i]; }

 private:
  void Finish(size_t i, DeviceOutcome outcome);

  struct Awaiting {
    size_t nStep;
    uint32_t dwSent;
  };
  size_t m_nParallel;
  uint32_t m_dwWaitMs;
  size_t m_nNext = 0;
  size_t m_nDone = 0;
  std::vector<Awaiting> m_awaiting;
  std::vector<DeviceOutcome> m_outcomes;  // kNotSent until settled
  std::vector<std::string> m_reasons;
};

#endif
