#include "plan/PlanApplyDriver.h"

CPlanApplyDriver::CPlanApplyDriver(const PlanPreview& preview, size_t nParallel, uint32_t dwWaitMs)
    : m_run(preview.CountChanged(), nParallel, dwWaitMs), m_dwWaitMs(dwWaitMs) {
  for (const PreviewDevice& device : preview.devices)
    if (device.HasChanges()) m_steps.emplace_back(device.mac.data(), device.change);
}

void CPlanApplyDriver::Pump(CKestoFinder& finder) {
  if (m_run.IsDone()) return;
  auto send = [&](size_t i) -> std::string {
    switch (m_steps[i].Send(finder)) {
      case CDeviceSetStep::SendResult::kSent: return {};
      case CDeviceSetStep::SendResult::kNoEntry: return "no answer to build the datagram from";
      case CDeviceSetStep::SendResult::kSendFailed: return "the set-configuration datagram could not be sent";
    }
    return "?";
  };
  auto confirmed = [&](size_t i) { return m_steps[i].IsConfirmed(finder, m_dwWaitMs); };
  const uint32_t dwNow = finder.Now();
  if (m_run.Pump(dwNow, send, confirmed) > 0) m_bProbeDue = true;
  const uint32_t dwSinceProbe = m_bProbed ? dwNow - m_dwLastProbe : kReprobeMs;
  if ((m_bProbeDue && dwSinceProbe >= kMinProbeGapMs) || (m_run.AwaitingCount() > 0 && dwSinceProbe >= kReprobeMs)) {
    finder.SendProbe();
    m_dwLastProbe = dwNow;
    m_bProbed = true;
    m_bProbeDue = false;
  }
}

std::string CPlanApplyDriver::Reason(size_t nStep) const {
  switch (m_run.Outcome(nStep)) {
    case DeviceOutcome::kRefused: return m_run.Reason(nStep);
    case DeviceOutcome::kNotConfirmed: return m_steps[nStep].Confirmation().Reason();
    default: return {};
  }
}
