#include "plan/DeviceSetStep.h"

#include <cstring>

namespace {

CKestoInfo* FindEntry(const CKestoFinder& finder, const std::array<uint8_t, 6>& mac) {
  KESTO_RECORD key;
  std::memcpy(key.byMAC, mac.data(), mac.size());
  return finder.FindByMAC(key);
}

}  // namespace

CDeviceSetStep::CDeviceSetStep(const uint8_t byMAC[6], CKestoSettingsChange request) : m_request(std::move(request)) {
  std::memcpy(m_mac.data(), byMAC, m_mac.size());
}

CDeviceSetStep::SendResult CDeviceSetStep::Send(CKestoFinder& finder) {
  const CKestoInfo* pInfo = FindEntry(finder, m_mac);
  if (pInfo == nullptr) return SendResult::kNoEntry;
  KESTO_RECORD record = pInfo->GetRecord();
  m_request.ApplyTo(record);
  std::vector<platform::Ipv4Endpoint> vecSentTo;
  m_log = CChangeLogEntry::Begin(pInfo->GetRecord(), record);
  if (finder.SendConfig(record, &vecSentTo) < 0) {
    m_log.Finish(ChangeOutcome::kNotSent);
    return SendResult::kSendFailed;
  }
  m_sent = record;
  m_dwSentAt = finder.Now();
  m_confirmation = CKestoConfirmation(record, std::move(vecSentTo), finder.Now());
  return SendResult::kSent;
}

bool CDeviceSetStep::IsConfirmed(const CKestoFinder& finder, uint32_t dwWindowMs) {
  const bool bConfirmed = !m_confirmation.GetSentTo().empty() && Confirm(finder, dwWindowMs);
  // Past the window nothing more confirms it, so the log says so now rather than when the step goes.
  if (bConfirmed || static_cast<uint32_t>(finder.Now() - m_dwSentAt) > dwWindowMs)
    m_log.Finish(bConfirmed ? ChangeOutcome::kConfirmed : ChangeOutcome::kNotConfirmed);
  return bConfirmed;
}

bool CDeviceSetStep::Confirm(const CKestoFinder& finder, uint32_t dwWindowMs) {
  m_confirmation.Update(
      finder, [this](const KESTO_RECORD& answer) { return m_request.IsAppliedIn(answer); }, dwWindowMs);
  return m_confirmation.IsConfirmed();
}
