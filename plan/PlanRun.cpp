#include "plan/PlanRun.h"

#include <algorithm>

const char* DeviceOutcomeText(DeviceOutcome outcome) {
  switch (outcome) {
    case DeviceOutcome::kUnchanged: return "unchanged";
    case DeviceOutcome::kConfirmed: return "confirmed";
    case DeviceOutcome::kNotConfirmed: return "not confirmed";
    case DeviceOutcome::kNotFound: return "not found";
    case DeviceOutcome::kNotSent: return "not sent";
    case DeviceOutcome::kRefused: return "refused";
  }
  return "?";
}

CPlanRun::CPlanRun(size_t nSteps, size_t nParallel, uint32_t dwWaitMs)
    : m_nParallel(std::max<size_t>(nParallel, 1)),
      m_dwWaitMs(dwWaitMs),
      m_outcomes(nSteps, DeviceOutcome::kNotSent),
      m_reasons(nSteps) {}

void CPlanRun::Finish(size_t i, DeviceOutcome outcome) {
  m_outcomes[i] = outcome;
  ++m_nDone;
}

size_t CPlanRun::Pump(uint32_t dwNow, const SendFn& fnSend, const ConfirmedFn& fnConfirmed) {
  std::erase_if(m_awaiting, [&](const Awaiting& item) {
    if (fnConfirmed(item.nStep)) Finish(item.nStep, DeviceOutcome::kConfirmed);
    else if (static_cast<uint32_t>(dwNow - item.dwSent) >= m_dwWaitMs) Finish(item.nStep, DeviceOutcome::kNotConfirmed);
    else return false;
    return true;
  });
  size_t nStarted = 0;
  while (m_awaiting.size() < m_nParallel && m_nNext < m_outcomes.size()) {
    const size_t i = m_nNext++;
    std::string sRefusal = fnSend(i);
    if (!sRefusal.empty()) {
      m_reasons[i] = std::move(sRefusal);
      Finish(i, DeviceOutcome::kRefused);
      continue;
    }
    m_awaiting.push_back({i, dwNow});
    ++nStarted;
  }
  return nStarted;
}

void CPlanRun::Stop() {
  for (const Awaiting& item : m_awaiting) Finish(item.nStep, DeviceOutcome::kNotConfirmed);
  m_awaiting.clear();
  for (; m_nNext < m_outcomes.size(); ++m_nNext) Finish(m_nNext, DeviceOutcome::kNotSent);
}
