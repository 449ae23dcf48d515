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
  const uint32_t dwNow = finder.Now();
  // Once seen, it stays: the slots are full of whoever answered first, so waiting cannot
  // show what the addresses left out hold.
  if (finder.HasUntrackedSender(m_sent.byMAC, dwNow)) m_bUntracked = true;
  const std::vector<KestoSender>& senders = finder.GetSenders(m_sent.byMAC);
  auto fresh = [&](const KestoSender& sender) {
    return static_cast<uint32_t>(sender.dwLastSeen - m_dwSentAt) <= dwWindowMs && fnCarries(sender.record);
  };
  for (size_t i = 0; i < m_vecSentTo.size(); ++i) {
    if (m_vecConfirmed[i]) continue;
    const platform::Ipv4Endpoint moved{m_sent.dwIPAddress, m_vecSentTo[i].wPort};
    m_vecConfirmed[i] = std::any_of(senders.begin(), senders.end(), [&](const KestoSender& sender) {
      return (sender.endpoint == m_vecSentTo[i] || sender.endpoint == moved) && fresh(sender);
    });
  }
  m_vecDissenting.clear();
  for (const KestoSender& sender : senders) {
    if (static_cast<uint32_t>(dwNow - sender.dwLastSeen) > finder.GetAgeLimitMs()) continue;
    if (std::find(m_vecSentTo.begin(), m_vecSentTo.end(), sender.endpoint) != m_vecSentTo.end()) continue;
    if (!fresh(sender)) m_vecDissenting.push_back(sender.endpoint);
  }
}

bool CKestoConfirmation::IsConfirmed() const {
  return !m_bUntracked && m_vecDissenting.empty() && !m_vecConfirmed.empty() &&
         std::all_of(m_vecConfirmed.begin(), m_vecConfirmed.end(), [](bool b) { return b; });
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
  unconfirmed.insert(unconfirmed.end(), m_vecDissenting.begin(), m_vecDissenting.end());
  return unconfirmed;
}

std::string CKestoConfirmation::Reason(uint32_t dwWaitMs) const {
  if (m_bUntracked)
    return "more addresses answer for it than can be followed, so no answer can confirm the settings "
           "(another host may be answering for the device)";
  if (m_vecSentTo.empty())
    return "sent by broadcast only (no address it answered from could be reached directly), so no answer can "
           "confirm it";
  const std::vector<platform::Ipv4Endpoint> unconfirmed = GetUnconfirmed();
  if (unconfirmed.empty()) return {};
  std::string sReason = FormatEndpoints(unconfirmed) + " did not answer with the new values";
  if (dwWaitMs > 0) sReason += " within " + std::to_string(dwWaitMs) + " ms";
  const std::vector<platform::Ipv4Endpoint> confirmed = GetConfirmed();
  if (!confirmed.empty()) sReason += " (confirmed by " + FormatEndpoints(confirmed) + " only)";
  return sReason;
}
