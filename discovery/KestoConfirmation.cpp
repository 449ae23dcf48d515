#include "discovery/KestoConfirmation.h"

#include <algorithm>
#include <utility>

CKestoConfirmation::CKestoConfirmation(const KESTO_RECORD& sent, std::vector<platform::Ipv4Endpoint> vecSentTo,
                                       uint32_t dwSentAt)
    : m_sent(sent),
      m_vecSentTo(std::move(vecSentTo)),
      m_vecConfirmed(m_vecSentTo.size(), false),
      m_dwSentAt(dwSentAt) {}

void CKestoConfirmation::Update(const CKestoFinder& finder, const Carries& fnCarries, uint32_t dwWindowMs) {
  const std::vector<KestoSender>& senders = finder.GetSenders(m_sent.byMAC);
  for (size_t i = 0; i < m_vecSentTo.size(); ++i) {
    if (m_vecConfirmed[i]) continue;
    const platform::Ipv4Endpoint moved{m_sent.dwIPAddress, m_vecSentTo[i].wPort};
    m_vecConfirmed[i] = std::any_of(senders.begin(), senders.end(), [&](const KestoSender& sender) {
      return (sender.endpoint == m_vecSentTo[i] || sender.endpoint == moved) &&
             static_cast<uint32_t>(sender.dwLastSeen - m_dwSentAt) <= dwWindowMs && fnCarries(sender.record);
    });
  }
}

bool CKestoConfirmation::IsConfirmed() const {
  return !m_vecConfirmed.empty() && std::all_of(m_vecConfirmed.begin(), m_vecConfirmed.end(), [](bool b) { return b; });
}

std::vector<platform::Ipv4Endpoint> CKestoConfirmation::GetConfirmed() const {
  std::vector<platform::Ipv4Endpoint> confirmed;
  for (size_t i = 0; i < m_vecSentTo.size(); ++i)
    if (m_vecConfirmed[i]) confirmed.push_back(m_vecSentTo[i]);
  return confirmed;
}

std::vector<platform::Ipv4Endpoint> CKestoConfirmation::GetUnconfirmed() const {
  std::vector<platform::Ipv4Endpoint> unconfirmed;
  for (size_t i = 0; i < m_vecSentTo.size(); ++i)
    if (!m_vecConfirmed[i]) unconfirmed.push_back(m_vecSentTo[i]);
  return unconfirmed;
}
