#ifndef KESTO_DISCOVERY_KESTOCONFIRMATION_H
#define KESTO_DISCOVERY_KESTOCONFIRMATION_H

#include <cstdint>
#include <functional>
#include <vector>

#include "discovery/KestoFinder.h"
#include "platform/Ipv4Endpoint.h"

// Whether a set-configuration datagram took effect, judged only by answers from the
// addresses it was sent to directly: an answer carrying the MAC proves nothing by
// itself, since any host may send one. Every such address must answer with the new
// settings; while one has not, the settings count as unconfirmed, so a host that
// answers for the device cannot confirm settings the device never showed. When the
// settings move the device to another IP address, an answer from that address at the
// same port stands for the one it replaces.
class CKestoConfirmation {
 public:
  // Tells whether a record shows the settings that were sent.
  using Carries = std::function<bool(const KESTO_RECORD& answer)>;

  CKestoConfirmation() = default;
  // sent: the record that went out at dwSentAt; vecSentTo: the device's addresses it reached.
  CKestoConfirmation(const KESTO_RECORD& sent, std::vector<platform::Ipv4Endpoint> vecSentTo, uint32_t dwSentAt);

  // Looks at the device's senders as the finder now holds them: an address confirms
  // once an answer from it, no earlier than the send and no later than dwWindowMs after
  // it (wrapping ticks), carries the settings. A confirmed address stays confirmed.
  void Update(const CKestoFinder& finder, const Carries& fnCarries, uint32_t dwWindowMs);

  // Every address sent to has confirmed (and there was at least one).
  bool IsConfirmed() const;
  const std::vector<platform::Ipv4Endpoint>& GetSentTo() const { return m_vecSentTo; }
  std::vector<platform::Ipv4Endpoint> GetConfirmed() const;
  std::vector<platform::Ipv4Endpoint> GetUnconfirmed() const;

 private:
  KESTO_RECORD m_sent;
  std::vector<platform::Ipv4Endpoint> m_vecSentTo;
  std::vector<bool> m_vecConfirmed;
  uint32_t m_dwSentAt = 0;
};

#endif
