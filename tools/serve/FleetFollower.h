#ifndef KESTO_TOOLS_SERVE_FLEETFOLLOWER_H
#define KESTO_TOOLS_SERVE_FLEETFOLLOWER_H

#include <cstdint>

#include "discovery/KestoFinder.h"
#include "tools/serve/FleetTable.h"

// Brings the agent's table up to the finder's list a few times a second. A round
// takes only the entries that answered since the one before (with 16,384 devices
// answering each second that is a half of them, not all twice over) and looks at
// senders only when the finder's counts say some changed; then it ages the table.
class CFleetFollower {
 public:
  // llNowMs is the wall clock at the finder's tick Now(); both are read once per round.
  void Follow(const CKestoFinder& finder, CFleetTable* pTable, int64_t llNowMs, int64_t llDownAfterMs);

 private:
  static void CopySenders(const CKestoFinder& finder, const KESTO_RECORD& record, CFleetTable* pTable,
                          FleetDevice* pDevice);

  bool m_bFollowed = false;  // false until the first round, which takes every entry
  uint32_t m_dwLastRound = 0;
  uint64_t m_qwSenderChanges = 0;
  uint64_t m_qwRefusedSenders = 0;
};

#endif
