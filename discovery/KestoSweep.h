#ifndef KESTO_DISCOVERY_KESTOSWEEP_H
#define KESTO_DISCOVERY_KESTOSWEEP_H

#include <cstddef>
#include <cstdint>
#include <deque>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/DatagramSocket.h"

// A sweep of single addresses: one discovery request to each, in rounds that start
// at a probe. A round sends at most iPerSecond datagrams a second and never lets its
// datagrams fill the socket's send buffer: datagrams to on-link addresses nobody
// answers for stay charged to the socket for seconds while the OS resolves them, and
// a full buffer would hold up the probes and set-configuration datagrams behind them.
// A round ends once its last datagram was accepted and the socket has sent what it
// held; until then no new round starts.
class CKestoSweep {
 public:
  // The most unsent bytes (the whole socket's) under which the sweep still sends: a
  // quarter of Linux's default send buffer (212,992 bytes), so that at least three
  // quarters stay free for probes and settings whatever the sweep does.
  static constexpr unsigned long kUnsentBudgetBytes = 52 * 1024;
  // A round's datagrams count as gone once no more than this is left unsent.
  static constexpr unsigned long kDrainedBytes = 8 * 1024;
  // A late Poll catches up in steps no larger than this.
  static constexpr size_t kMaxSendsPerPace = 64;
  // A round never waits longer than this for the socket to drain (the OS gives up on
  // an unresolved address within about three seconds).
  static constexpr uint32_t kMaxDrainMs = 5000;
  // The real length of a round counts for the age limit up to this, so a socket that
  // stays blocked cannot keep departed devices listed for ever.
  static constexpr uint32_t kMaxCountedRoundMs = 60000;

  explicit CKestoSweep(int iPerSecond);

  // The addresses of the next rounds; a changed list ends the round under way.
  void SetAddresses(const std::vector<uint32_t>& vecAddresses);
  // Starts a round at dwNow unless one runs or there is nothing to sweep; true when one started.
  bool Start(uint32_t dwNow);
  // Sends the datagrams due at dwNow within the bounds, and ends the round once it has gone.
  void Pace(uint32_t dwNow, platform::DatagramSocket& socket, uint16_t wPort);

  bool IsRunning() const { return m_bRunning; }
  size_t GetSize() const { return m_vecAddresses.size(); }
  // Datagrams of the round under way (or the last one) that the socket accepted.
  size_t GetSent() const { return m_nNext; }
  const std::vector<uint32_t>& GetAddresses() const { return m_vecAddresses; }
  int GetPerSecond() const { return m_iPerSecond; }
  // True when dwAddress is swept, so its answers come to a datagram sent to it alone.
  bool Contains(uint32_t dwAddress) const { return m_setAddresses.count(dwAddress) != 0; }

  // How long a round of nAddresses takes at iPerSecond, in ms (rounded up).
  static uint32_t DurationMs(size_t nAddresses, int iPerSecond);
  // How long the round under way has taken so far, or the last whole round took
  // (the longer of the two), capped at kMaxCountedRoundMs.
  uint32_t RealDurationMs(uint32_t dwNow) const;
  // True while the round under way runs more than a probe interval past its nominal length.
  bool IsBehind(uint32_t dwNow, uint32_t dwSlackMs) const;
  uint32_t GetElapsedMs(uint32_t dwNow) const { return m_bRunning ? dwNow - m_dwStart : 0; }

 private:
  void Finish(uint32_t dwNow);

  int m_iPerSecond;
  std::vector<uint32_t> m_vecAddresses;
  std::unordered_set<uint32_t> m_setAddresses;
  size_t m_nNext = 0;
  bool m_bRunning = false;
  uint32_t m_dwStart = 0;
  uint32_t m_dwLastAccepted = 0;
  uint32_t m_dwLastRoundMs = 0;
  // The sends of the last second as (tick, count), for the per-second bound.
  std::deque<std::pair<uint32_t, uint32_t>> m_dequeRecentSends;
  uint32_t m_nRecentSends = 0;
};

#endif
