#ifndef KESTO_PLAN_DEVICESETSTEP_H
#define KESTO_PLAN_DEVICESETSTEP_H

#include <array>
#include <cstdint>
#include <vector>

#include "discovery/KestoConfirmation.h"
#include "discovery/KestoFinder.h"
#include "discovery/KestoSettingsChange.h"
#include "plan/ChangeLogEntry.h"

// One device's set-configuration: the request written over the device's last
// answer (so every field it does not name goes back unchanged), sent once, then
// confirmed only by answers from the addresses it went to directly, every one of
// them showing every requested value. `kesto set` and `kesto apply` both go
// through here, so the confirmation rule lives in one place.
class CDeviceSetStep {
 public:
  enum class SendResult { kSent, kNoEntry, kSendFailed };

  CDeviceSetStep(const uint8_t byMAC[6], CKestoSettingsChange request);

  // Sends the datagram built from the finder's entry for the device; kNoEntry
  // (nothing sent) when the finder holds none.
  SendResult Send(CKestoFinder& finder);
  // True once every address the datagram reached directly answered, within
  // dwWindowMs of the send, with every requested value. Never true when it went
  // by broadcast alone.
  bool IsConfirmed(const CKestoFinder& finder, uint32_t dwWindowMs);

  const std::array<uint8_t, 6>& Mac() const { return m_mac; }
  const KESTO_RECORD& Sent() const { return m_sent; }
  // The device's addresses the datagram reached directly, and how far each confirmed.
  const std::vector<platform::Ipv4Endpoint>& SentTo() const { return m_confirmation.GetSentTo(); }
  const CKestoConfirmation& Confirmation() const { return m_confirmation; }

 private:
  bool Confirm(const CKestoFinder& finder, uint32_t dwWindowMs);

  std::array<uint8_t, 6> m_mac;
  CKestoSettingsChange m_request;
  KESTO_RECORD m_sent{};
  CKestoConfirmation m_confirmation;
  uint32_t m_dwSentAt = 0;
  CChangeLogEntry m_log;  // the change as the program's log records it
};

#endif
