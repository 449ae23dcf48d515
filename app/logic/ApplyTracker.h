#ifndef KESTO_APP_LOGIC_APPLYTRACKER_H
#define KESTO_APP_LOGIC_APPLYTRACKER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "discovery/KestoConfirmation.h"
#include "discovery/KestoFinder.h"
#include "discovery/KestoRecord.h"
#include "discovery/KestoSettingsChange.h"
#include "plan/ChangeLogEntry.h"

// What became of a set-configuration datagram, per device.
enum class ApplyState { kSent, kConfirmed, kNotConfirmed, kNotSent };
const char* ApplyStateText(ApplyState state);

// Follows the settings sent to devices until each device answers with them or
// the wait runs out. Several devices are followed at once, newest send first.
class CApplyTracker {
 public:
  // How long a device has to answer with the new values.
  static constexpr uint32_t kConfirmWindowMs = 3000;
  // Finished outcomes kept for the status line and tooltips; the oldest go first.
  static constexpr size_t kMaxTracked = 16;
  // The status line's word for settings that too many addresses answer to confirm.
  static constexpr const char* kUntrackedText = "too many addresses answer for it";
  // Outcomes named in the status line; the rest are counted.
  static constexpr size_t kStatusItems = 3;

  // The record was sent at dwNow (reaching the device's addresses vecSentTo directly),
  // or the send failed. Only answers from those addresses can confirm it, and every one
  // of them must (CKestoConfirmation); with none it ends "not confirmed". The
  // outcome goes to the change log's entry for the send.
  void OnSent(const KESTO_RECORD& record, uint32_t dwNow, bool bSent,
              std::vector<platform::Ipv4Endpoint> vecSentTo = {}, CChangeLogEntry logEntry = {});
  // Confirms or gives up on pending sends (at once when more addresses answer for a
  // device than the finder follows); true when any state changed.
  bool Update(const CKestoFinder& finder, uint32_t dwNow);

  // The state for a device, or null when none is followed.
  const ApplyState* Find(const uint8_t byMAC[6]) const;
  // The addresses of the device's last send that have not confirmed it (empty when none is followed).
  std::vector<platform::Ipv4Endpoint> Unconfirmed(const uint8_t byMAC[6]) const;
  // Why the device's last send is not confirmed (empty unless it ended so).
  std::string Reason(const uint8_t byMAC[6]) const;
  bool HasPending() const;
  // Forgets what was followed for one device (a plan now sends to it).
  void Forget(const uint8_t byMAC[6]);
  // Forgets every outcome, pending ones too ("Clear status history").
  void Clear() { m_items.clear(); }
  // The MAC keys (MacKey) of the devices whose outcomes are kept, newest first.
  std::vector<uint64_t> Keys() const;
  // "Boiler room (00-1A-2B-3C-4D-01): confirmed", newest first, with the name
  // sent; empty when nothing is followed.
  std::string StatusText() const;

 private:
  struct Item {
    KESTO_RECORD sent;
    CKestoSettingsChange settings;  // the fields of sent the dialog sets: an answer must show them all
    uint32_t dwSent;
    ApplyState state;
    CKestoConfirmation confirmation;
    CChangeLogEntry logEntry;
  };
  std::vector<Item> m_items;  // newest first
};

#endif
