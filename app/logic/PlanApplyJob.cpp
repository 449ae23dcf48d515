#include "app/logic/PlanApplyJob.h"

CPlanApplyJob::CPlanApplyJob(PlanPreview preview)
    : m_preview(std::move(preview)), m_run(m_preview, kParallel, kWaitMs) {
  m_lines = ReportLines(m_preview, nullptr);
  for (size_t i = 0; i < m_preview.devices.size(); ++i) {
    const PreviewDevice& device = m_preview.devices[i];
    m_lineByKey.emplace(MacKey(device.mac.data()), i);
    if (device.HasChanges()) m_lineOfStep.push_back(i);
  }
  m_settled.assign(m_lineOfStep.size(), false);
}

void CPlanApplyJob::Pump(CKestoFinder& finder, std::vector<uint64_t>* pSettled) {
  if (m_run.IsDone()) return;
  m_run.Pump(finder);
  for (size_t i = 0; i < m_lineOfStep.size(); ++i)
    if (!m_settled[i] && (m_run.Outcome(i) != DeviceOutcome::kNotSent || m_run.IsDone())) Settle(i, pSettled);
}

void CPlanApplyJob::Stop() {
  m_run.Stop();
  for (size_t i = 0; i < m_lineOfStep.size(); ++i)
    if (!m_settled[i]) Settle(i, nullptr);
}

void CPlanApplyJob::Settle(size_t nStep, std::vector<uint64_t>* pSettled) {
  m_settled[nStep] = true;
  ReportLine& line = m_lines[m_lineOfStep[nStep]];
  SettleLine(m_run, nStep, &line);
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
