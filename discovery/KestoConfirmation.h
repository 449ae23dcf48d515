#ifndef KESTO_DISCOVERY_KESTOCONFIRMATION_H
#define KESTO_DISCOVERY_KESTOCONFIRMATION_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "discovery/KestoFinder.h"
#include "platform/Ipv4Endpoint.h"

// Whether a set-configuration datagram took effect. An answer carrying the MAC proves
// nothing by itself, since any host may send one, so the settings count as confirmed
// only when every address that answered for the MAC within the age limit shows them:
// each address the datagram went to directly must answer, after the send, with the new
// settings, and every other address still answering must have done so too. A host that
// answers for the device therefore cannot confirm settings the device never showed.
// When more addresses answer than the finder can hold, the values of some are unknown
// and the settings are never confirmed. When the settings move the device to another IP
// address, an answer from that address at the same port stands for the one it replaces.
class CKestoConfirmation {
 public:
  // Tells whether a record shows the settings that were sent.
  using Carries = std::function<bool(const KESTO_RECORD& answer)>;

  CKestoConfirmation() = default;
  // sent: the record that went out at dwSentAt; vecSentTo: the device's addresses it reached.
  CKestoConfirmation(const KESTO_RECORD& sent, std::vector<platform::Ipv4Endpoint> vecSentTo, uint32_t dwSentAt);

  // Looks at the device's senders as the finder now holds them: an address sent to
  // confirms once an answer from it, no earlier than the send and no later than
  // dwWindowMs after it (wrapping ticks), carries the settings, and stays confirmed.
  // Any other address still answering must carry them in its latest answer.
  void Update(const CKestoFinder& finder, const Carries& fnCarries, uint32_t dwWindowMs);

  // Every address sent to has confirmed (and there was at least one), no other address
  // shows other values, and no answer for the MAC came from an address not followed.
  bool IsConfirmed() const;
  // An address beyond the finder's room answered for the MAC since before the send: the
  // settings cannot be confirmed however long one waits.
  bool IsUntracked() const { return m_bUntracked; }
  const std::vector<platform::Ipv4Endpoint>& GetSentTo() const { return m_vecSentTo; }
  std::vector<platform::Ipv4Endpoint> GetConfirmed() const;
  // The addresses sent to that have not confirmed, then the others answering without the settings.
  std::vector<platform::Ipv4Endpoint> GetUnconfirmed() const;
  // Why the settings are not confirmed, in a sentence without its subject's MAC: which
  // addresses did not show the new values (within dwWaitMs, when given), or that too
  // many addresses answer.
  std::string Reason(uint32_t dwWaitMs = 0) const;

 private:
  KESTO_RECORD m_sent;
  std::vector<platform::Ipv4Endpoint> m_vecSentTo;
  std::vector<bool> m_vecConfirmed;
  // Addresses not sent to that answered last without the settings (as of the last Update).
  std::vector<platform::Ipv4Endpoint> m_vecDissenting;
  uint32_t m_dwSentAt = 0;
  bool m_bUntracked = false;
};

#endif
