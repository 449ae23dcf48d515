#include "tools/plan/DeviceSetStep.h"

#include <cstring>

namespace {

CKestoInfo* FindEntry(const CKestoFinder& finder, const std::array<uint8_t, 6>& mac) {
  KESTO_RECORD key;
  std::memcpy(key.byMAC, mac.data(), mac.size());
  return finder.FindByMAC(key);
}

}  // namespace

DeviceSetStep::DeviceSetStep(const uint8_t byMAC[6], SetRequest request) : m_request(std::move(request)) {
  std::memcpy(m_mac.data(), byMAC, m_mac.size());
}

DeviceSetStep::SendResult DeviceSetStep::Send(CKestoFinder& finder) {
  const CKestoInfo* pInfo = FindEntry(finder, m_mac);
  if (pInfo == nullptr) return SendResult::kNoEntry;
  KESTO_RECORD record = pInfo->GetRecord();
  m_request.ApplyTo(record);
  return finder.SendConfig(record) < 0 ? SendResult::kSendFailed : SendResult::kSent;
}

bool DeviceSetStep::IsConfirmed(const CKestoFinder& finder) const {
  const CKestoInfo* pNow = FindEntry(finder, m_mac);
  return pNow != nullptr && m_request.IsAppliedIn(pNow->GetRecord());
}
