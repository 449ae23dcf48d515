#include "tools/serve/FleetFollower.h"

#include <vector>

void CFleetFollower::CopySenders(const CKestoFinder& finder, const KESTO_RECORD& record, CFleetTable* pTable,
                                 FleetDevice* pDevice) {
  const std::vector<KestoSender>& senders = finder.GetSenders(record.byMAC);
  std::vector<platform::Ipv4Endpoint> endpoints;
  endpoints.reserve(senders.size());
  for (const KestoSender& sender : senders) endpoints.push_back(sender.endpoint);
  pTable->SetSenders(pDevice, endpoints, finder.GetRefusedSenders(record.byMAC));
}

void CFleetFollower::Follow(const CKestoFinder& finder, CFleetTable* pTable, int64_t llNowMs, int64_t llDownAfterMs) {
  const uint32_t dwNow = finder.Now();
  // Any sender added, dropped or refused anywhere: then every entry's are looked at,
  // as one may have aged out of an entry that did not answer.
  const bool bSendersMoved = !m_bFollowed || finder.GetSenderChanges() != m_qwSenderChanges ||
                             finder.GetRefusedSenders() != m_qwRefusedSenders;
  finder.VisitDevices([&](const CKestoInfo& entry) {
    // An answer in the millisecond of the last round may have come after it: taken again.
    const bool bAnswered = !m_bFollowed || static_cast<int32_t>(entry.dwLastSeen - m_dwLastRound) >= 0;
    if (!bAnswered && !bSendersMoved) return;
    const KESTO_RECORD& record = entry.GetRecord();
    FleetDevice* pDevice = pTable->Seen(record, llNowMs - static_cast<uint32_t>(dwNow - entry.dwLastSeen));
    if (pDevice != nullptr && (bSendersMoved || !pDevice->bHasSender)) CopySenders(finder, record, pTable, pDevice);
  });
  m_bFollowed = true;
  m_dwLastRound = dwNow;
  m_qwSenderChanges = finder.GetSenderChanges();
  m_qwRefusedSenders = finder.GetRefusedSenders();
  pTable->Age(llNowMs, llDownAfterMs);
}
