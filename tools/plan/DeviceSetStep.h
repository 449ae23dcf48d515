#ifndef KESTO_TOOLS_PLAN_DEVICESETSTEP_H
#define KESTO_TOOLS_PLAN_DEVICESETSTEP_H

#include <array>
#include <cstdint>

#include "discovery/KestoFinder.h"
#include "tools/SetRequest.h"

// One device's set-configuration: the request written over the device's last
// answer (so every field it does not name goes back unchanged), sent once, then
// confirmed by a later answer that shows every requested value. `kesto set` and
// `kesto apply` both go through here, so the confirmation rule lives in one place.
class DeviceSetStep {
 public:
  enum class SendResult { kSent, kNoEntry, kSendFailed };

  DeviceSetStep(const uint8_t byMAC[6], SetRequest request);

  // Sends the datagram built from the finder's entry for the device; kNoEntry
  // (nothing sent) when the finder holds none.
  SendResult Send(CKestoFinder& finder);
  // True once the device's entry shows every requested value.
  bool IsConfirmed(const CKestoFinder& finder) const;

  const std::array<uint8_t, 6>& Mac() const { return m_mac; }

 private:
  std::array<uint8_t, 6> m_mac;
  SetRequest m_request;
};

#endif
