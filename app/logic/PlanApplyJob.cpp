#include "app/logic/PlanApplyJob.h"

CPlanApplyJob::CPlanApplyJob(PlanPreview preview)
    : m_preview(std::move(preview)), m_run(m_preview.CountChanged(), kParallel, kWaitMs) {
  m_lines = ReportLines(m_preview, nullptr);
  for (size_t i = 0; i < m_preview.devices.size(); ++i) {
    const PreviewDevice& device = m_preview.devices[i];
    m_lineByKey.emplace(MacKey(device.mac.data()), i);
    if (!device.HasChanges()) continue;
    m_steps.emplace_back(device.mac.data(), device.change);
    m_lineOfStep.push_back(i);
  }
  m_settled.assign(m_steps.size(), false);
}

void CPlanApplyJob::Pump(CKestoFinder& finder, std::vector<uint64_t>* pSettled) {
  if (m_run.IsDone()) return;
  auto send = [&](size_t i) -> std::string {
    switch (m_steps[i].Send(finder)) {
      case CDeviceSetStep::SendResult::kSent: return {};
      case CDeviceSetStep::SendResult::kNoEntry: return "no answer to build the datagram from";
      case CDeviceSetStep::SendResult::kSendFailed: return "the set-configuration datagram could not be sent";
    }
    return "?";
  };
  auto confirmed = [&](size_t i) { return m_steps[i].IsConfirmed(finder, kWaitMs); };
  const uint32_t dwNow = finder.Now();
  if (m_run.Pump(dwNow, send, confirmed) > 0) m_bProbeDue = true;
  const uint32_t dwSinceProbe = m_bProbed ? dwNow - m_dwLastProbe : kReprobeMs;
  if ((m_bProbeDue && dwSinceProbe >= kMinProbeGapMs) || (m_run.AwaitingCount() > 0 && dwSinceProbe >= kReprobeMs)) {
    finder.SendProbe();
    m_dwLastProbe = dwNow;
    m_bProbed = true;
    m_bProbeDue = false;
  }
  for (size_t i = 0; i < m_steps.size(); ++i)
    if (!m_settled[i] && (m_run.Outcome(i) != DeviceOutcome::kNotSent || m_run.IsDone())) Settle(i, pSettled);
}

void CPlanApplyJob::Stop() {
  m_run.Stop();
  for (size_t i = 0; i < m_steps.size(); ++i)
    if (!m_settled[i]) Settle(i, nullptr);
}

void CPlanApplyJob::Settle(size_t nStep, std::vector<uint64_t>* pSettled) {
  m_settled[nStep] = true;
  ReportLine& line = m_lines[m_lineOfStep[nStep]];
  line.outcome = m_run.Outcome(nStep);
  line.sReason = m_run.Reason(nStep);
  if (pSettled != nullptr) pSettled->push_back(MacKey(line.mac.data()));
}

std::vector<uint64_t> CPlanApplyJob::Keys() const {
  std::vector<uint64_t> keys;
  for (const ReportLine& line : m_lines) keys.push_back(MacKey(line.mac.data()));
  return keys;
}

const ReportLine* CPlanApplyJob::Find(uint64_t qwMacKey) const {
  const auto found = m_lineByKey.find(qwMacKey);
  return found == m_lineByKey.end() ? nullptr : &m_lines[found->second];
}

bool CPlanApplyJob::IsWaiting(uint64_t qwMacKey) const {
  const ReportLine* pLine = Find(qwMacKey);
  if (pLine == nullptr || pLine->outcome != DeviceOutcome::kNotSent || m_run.IsDone()) return false;
  return m_preview.devices[m_lineByKey.at(qwMacKey)].HasChanges();
}
