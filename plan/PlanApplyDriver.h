#ifndef KESTO_PLAN_PLANAPPLYDRIVER_H
#define KESTO_PLAN_PLANAPPLYDRIVER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "discovery/KestoFinder.h"
#include "plan/DeviceSetStep.h"
#include "plan/PlanPreview.h"
#include "plan/PlanRun.h"

// Sends a previewed plan's changes through the finder and follows them: each changed
// device's step (CDeviceSetStep), at most nParallel awaiting confirmation (CPlanRun),
// and the probes that ask the devices again while some await. The command line's
// loop and the window's timer both call Pump once per pass, so the sending, the
// confirmation and the probe timing live here alone.
class CPlanApplyDriver {
 public:
  // While devices await confirmation the finder asks again this often (a lost answer
  // is not waited out for a whole probe interval), and at once after sends but no
  // more often than kMinProbeGapMs.
  static constexpr uint32_t kReprobeMs = 250;
  static constexpr uint32_t kMinProbeGapMs = 20;

  // Steps for the preview's devices with changes, in its order.
  CPlanApplyDriver(const PlanPreview& preview, size_t nParallel, uint32_t dwWaitMs);

  // Settles and sends what is due, then probes when due.
  void Pump(CKestoFinder& finder);
  // Sends nothing more: steps awaiting are not confirmed, the rest not sent.
  void Stop() { m_run.Stop(); }

  bool IsDone() const { return m_run.IsDone(); }
  size_t DoneCount() const { return m_run.DoneCount(); }
  size_t StepCount() const { return m_steps.size(); }
  size_t AwaitingCount() const { return m_run.AwaitingCount(); }
  DeviceOutcome Outcome(size_t nStep) const { return m_run.Outcome(nStep); }
  // Why a step was refused or not confirmed (empty otherwise).
  std::string Reason(size_t nStep) const;
  const CDeviceSetStep& Step(size_t nStep) const { return m_steps[nStep]; }

 private:
  std::vector<CDeviceSetStep> m_steps;
  CPlanRun m_run;
  uint32_t m_dwWaitMs;
  bool m_bProbeDue = false;
  bool m_bProbed = false;
  uint32_t m_dwLastProbe = 0;
};

#endif
