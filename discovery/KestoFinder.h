#ifndef KESTO_DISCOVERY_KESTOFINDER_H
#define KESTO_DISCOVERY_KESTOFINDER_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "COMMON/ZNObList.h"
#include "discovery/KestoDestinations.h"
#include "discovery/KestoInfo.h"
#include "discovery/KestoInterfaceSnapshot.h"
#include "discovery/KestoSender.h"
#include "discovery/KestoSweep.h"
#include "platform/DatagramSocket.h"
#include "platform/InterfaceTable.h"
#include "platform/RouteSource.h"
#include "platform/TickCount.h"

struct KestoFinderOptions {
  // Where probes and set-configuration datagrams go.
  platform::Ipv4Endpoint endpTarget{platform::kLimitedBroadcast, KESTO_UDP_PORT};
  // The clock; null means the system's monotonic tick count.
  platform::TickSource* pTicks = nullptr;
  // Answers from new MAC addresses beyond this many entries are dropped and counted,
  // except those kept (see AddDevice), which may use kKeptReserve entries more.
  size_t nMaxEntries = 16384;
  // Source addresses kept per device; answers from further addresses are counted, not kept.
  size_t nMaxSendersPerDevice = 8;
  // Room for a burst of answers to one probe: a full list's (Linux doubles the request
  // and counts about 1 KiB a queued answer).
  int iReceiveBufferBytes = 8 << 20;
  // Which ways a probe goes besides endpTarget: every adapter, named ones, single addresses.
  KestoDestinations destinations;
  // The most unicast datagrams of a sweep sent in any one second.
  int iUnicastPerSecond = 1000;
  // Reads the interface table; empty means none is read (no adapter broadcasts).
  std::function<bool(std::vector<platform::NetInterface>*)> fnReadInterfaces = platform::ReadInterfaces;
  // Finds the local address 255.255.255.255 leaves from (a routing look-up, nothing sent),
  // so that link is not sent the same probe twice; empty means not looked up.
  std::function<bool(const platform::Ipv4Endpoint&, uint32_t*)> fnRouteSource = platform::RouteSourceAddress;
};

// Keeps the list of devices present on the network: probes about once a second,
// takes answers one at a time without blocking, keeps one entry per MAC address
// in order of first answer, and drops devices silent for more than two seconds.
// It reports nothing by itself; IsSocketOpen/GetSocketError tell a caller whether
// the socket could be opened.
//
// With the default target (255.255.255.255) a probe also goes to the directed
// broadcast of every usable adapter, so devices on a second network are found;
// the interface table is read at start and again at most every 5 s. Single
// --target addresses are swept at a bounded rate over the following Polls, never
// filling the send buffer that the probes and settings need.
class CKestoFinder {
 public:
  CKestoFinder();
  explicit CKestoFinder(const KestoFinderOptions& options);
  // Takes over an already opened socket (a fake in tests); null means opening failed.
  CKestoFinder(const KestoFinderOptions& options, std::unique_ptr<platform::DatagramSocket> socket,
               std::string sSocketError = {});
  CKestoFinder(const CKestoFinder&) = delete;
  CKestoFinder& operator=(const CKestoFinder&) = delete;
  virtual ~CKestoFinder();

  // One step: the unicast datagrams now due, a probe when more than PROBE_INTERVAL_MS
  // have passed, then at most one answer.
  void Poll();
  // Sends the request to every broadcast endpoint and starts a unicast sweep when none
  // runs. Returns the bytes of the first send that went out, 0 when nothing was due
  // (only a sweep under way), or -1 when every send failed.
  int SendProbe();
  // Reads at most one waiting datagram and records it when it is exactly 100 bytes.
  void Receive();

  CKestoInfo* FindByMAC(const KESTO_RECORD& record, int* piIndex = nullptr) const;
  // The entry of a MAC key (MacKey), or null: one hash step.
  CKestoInfo* FindByKey(uint64_t qwMacKey) const;
  CKestoInfo* FindByIP(const platform::Ipv4Endpoint& sender) const;
  // Appends an entry, or refuses and counts it when the list holds GetMaxEntries().
  // A kept answer (bKept: from an address probed alone, or the MAC SetKeptMAC named)
  // is refused only past GetMaxEntries() + kKeptReserve, so a flood of made-up MACs
  // cannot lock out the devices the user asked for.
  void AddDevice(const KESTO_RECORD& record, bool bKept = false);
  static constexpr size_t kKeptReserve = KESTO_MAX_UNICAST + 1;
  // The device whose new entry is kept even in a full list (the window's selection); 0 for none.
  void SetKeptMAC(uint64_t qwMacKey) { m_qwKeptMAC = qwMacKey; }
  // Frees and unlinks every entry silent for more than GetAgeLimitMs(), reading the
  // clock once per entry.
  void RemoveAged();
  // The same against one given tick, so a caller can decide expiry once per pass.
  void RemoveAged(uint32_t dwNow);
  // The same with a longer silence allowed, for a caller that must ride out a lost answer.
  // The entries are walked only when MayHaveAged says one could be aged.
  void RemoveAged(uint32_t dwNow, uint32_t dwAgeLimitMs);
  // False when no entry can be silent for more than dwAgeLimitMs at dwNow: the oldest
  // answer is known from the last walk (answers only make entries younger).
  // An answer stamped after dwNow counts as aged, as IsAged has it, so that also walks.
  bool MayHaveAged(uint32_t dwNow, uint32_t dwAgeLimitMs) const {
    const uint32_t dwSpan = dwNow - m_dwOldestSeen;
    return !m_bOldestKnown || dwSpan > dwAgeLimitMs || static_cast<uint32_t>(m_dwNewestSeen - m_dwOldestSeen) > dwSpan;
  }
  // Counts entries added and records replaced by an answer, so a caller can tell in one
  // comparison whether a walk over the entries would find anything new.
  uint64_t GetRecordChanges() const { return m_nRecordChanges; }
  // Sends the set-configuration datagram to every broadcast endpoint and straight to
  // every address the device's answers came from within the age limit. The bytes of the
  // first send that went out, or -1 when none did; one failing way does not stop the
  // others. *pvecDirect (when given) gets the device's addresses the datagram reached,
  // also where one of them is a broadcast endpoint already.
  int SendConfig(const KESTO_RECORD& record, std::vector<platform::Ipv4Endpoint>* pvecDirect = nullptr);

  // The addresses a device's answers came from within the age limit, first heard first
  // (empty for an unknown MAC). More than one means another host answers for it too.
  const std::vector<KestoSender>& GetSenders(const uint8_t byMAC[6]) const;
  // Answers from addresses beyond nMaxSendersPerDevice, not kept: for one device and in all.
  uint64_t GetRefusedSenders(const uint8_t byMAC[6]) const;
  uint64_t GetRefusedSenders() const { return m_nRefusedSenders; }
  // True when such a refused answer for the MAC came within the age limit before dwNow:
  // someone answered for the device whose values the finder does not hold.
  bool HasUntrackedSender(const uint8_t byMAC[6], uint32_t dwNow) const;
  // Counts every address added to or dropped from a device's senders, so a caller can
  // tell in one comparison whether any device's senders changed.
  uint64_t GetSenderChanges() const { return m_nSenderChanges; }
  // The devices holding several addresses (or refusing further ones), by MAC key.
  const std::unordered_set<uint64_t>& GetSeveralSenderKeys() const { return m_setSeveralSenders; }

  void SetDestinations(const KestoDestinations& d);  // takes effect at the next probe
  const KestoDestinations& GetDestinations() const { return m_destinations; }
  std::vector<platform::Ipv4Endpoint> GetBroadcastEndpoints() const { return m_vecBroadcastEndpoints; }

  // The silence after which an entry is dropped: 2000 ms, or longer when a sweep of
  // unicast targets takes more than a probe interval to come round again.
  uint32_t GetAgeLimitMs() const;
  // How long a sweep of nAddresses takes at iPerSecond, in ms (rounded up).
  static uint32_t SweepDurationMs(size_t nAddresses, int iPerSecond);
  // That time for the unicast addresses now set (0 without any).
  uint32_t GetSweepDurationMs() const;

  // The interface table as last read, and whether any read succeeded.
  const std::vector<platform::NetInterface>& GetInterfaces() const { return m_interfaces.GetTable(); }
  bool HasInterfaceTable() const { return m_interfaces.HasTable(); }
  const CKestoInterfaceSnapshot& GetInterfaceSnapshot() const { return m_interfaces; }

  // The unicast sweep under way: its size and how many of its datagrams the socket took.
  bool IsSweeping() const { return m_sweep.IsRunning(); }
  size_t GetSweepSize() const { return m_sweep.GetSize(); }
  size_t GetSweepSent() const { return m_sweep.GetSent(); }
  // True while the sweep under way runs more than a probe interval past its nominal
  // length (the network is slow to take its datagrams), and for how long it has run.
  bool IsSweepBehind() const { return m_sweep.IsBehind(Now(), PROBE_INTERVAL_MS); }
  uint32_t GetSweepElapsedMs() const { return m_sweep.GetElapsedMs(Now()); }

  // Waits up to iTimeoutMs for a datagram to read; true when one waits.
  bool WaitForAnswer(int iTimeoutMs);

  // The entries, head first; callers may change bListed but never add or remove.
  const CZNObList& GetDevices() const { return m_listDevices; }
  // Calls visit(CKestoInfo&) for each entry, head first, under the same rule.
  template <typename Visit>
  void VisitDevices(Visit visit) {
    for (ZNPOSITION pos = m_listDevices.GetHeadPosition(); pos != nullptr;)
      visit(*static_cast<CKestoInfo*>(m_listDevices.GetNext(pos)));
  }
  template <typename Visit>
  void VisitDevices(Visit visit) const {
    for (ZNPOSITION pos = m_listDevices.GetHeadPosition(); pos != nullptr;)
      visit(*static_cast<const CKestoInfo*>(m_listDevices.GetNext(pos)));
  }
  // Every entry's record, head first.
  std::vector<KESTO_RECORD> GetRecords() const {
    std::vector<KESTO_RECORD> records;
    records.reserve(static_cast<size_t>(m_listDevices.GetCount()));
    VisitDevices([&](const CKestoInfo& entry) { records.push_back(entry.GetRecord()); });
    return records;
  }
  uint32_t Now() const { return m_pTicks->Now(); }

  bool IsSocketOpen() const { return m_hSocket != nullptr; }
  const std::string& GetSocketError() const { return m_sSocketError; }
  platform::DatagramSocket* GetSocket() { return m_hSocket.get(); }
  const platform::Ipv4Endpoint& GetTarget() const { return m_endpTarget; }

  // Answers from new devices refused because the list was full, and whether it is.
  uint64_t GetRefusedDevices() const { return m_nRefusedDevices; }
  bool IsFull() const { return static_cast<size_t>(m_listDevices.GetCount()) >= m_nMaxEntries; }
  // Datagrams read and dropped because they were not exactly 100 bytes.
  uint64_t GetDroppedDatagrams() const { return m_nDroppedDatagrams; }
  // Probe rounds sent so far (each a broadcast to every destination and a sweep start).
  uint64_t GetProbesSent() const { return m_nProbesSent; }
  size_t GetMaxEntries() const { return m_nMaxEntries; }

 private:
  void Unindex(const CKestoInfo* pInfo);
  void RefreshInterfaces(bool bForce);
  // True when an answer from this sender to a new entry is kept in a full list.
  bool IsKeptAnswer(const KESTO_RECORD& record, uint32_t dwSender) const;
  // Sends the unicast datagrams due now, within the per-second bound.
  void PaceSweep();
  int SendToAll(const void* pData, size_t nSize, const std::vector<platform::Ipv4Endpoint>& endpoints);
  // Frees and unlinks, in list order, every entry the test picks.
  void RemoveWhere(const std::function<bool(const CKestoInfo&)>& fnAged);
  struct IndexEntry;
  // Renews or adds the answer's source address, dropping addresses silent for over dwAgeLimitMs.
  void NoteSender(uint64_t key, IndexEntry& entry, const platform::Ipv4Endpoint& from, const KESTO_RECORD& record,
                  uint32_t dwNow);
  void DropAgedSenders(uint64_t key, IndexEntry& entry, uint32_t dwNow, uint32_t dwAgeLimitMs);
  // Drops aged senders of the devices in m_setSeveralSenders, the only ones whose
  // senders can age before their entry does.
  void DropAgedSendersOfAll(uint32_t dwNow, uint32_t dwAgeLimitMs);

  std::unique_ptr<platform::DatagramSocket> m_hSocket;
  CZNObList m_listDevices;
  uint32_t m_dwLastProbe;

  platform::TickSource* m_pTicks;
  platform::Ipv4Endpoint m_endpTarget;
  size_t m_nMaxEntries;
  std::string m_sSocketError;
  // MAC (six bytes in a 64-bit key) to entry, so an answer finds its entry without a walk,
  // and the addresses its answers came from.
  struct IndexEntry {
    CKestoInfo* pInfo = nullptr;
    std::vector<KestoSender> vecSenders;
    uint64_t nRefusedSenders = 0;
    uint32_t dwLastRefused = 0;  // when the last of those came; meaningful once there is one
  };
  std::unordered_map<uint64_t, IndexEntry> m_mapByMAC;
  // The MACs with more than one sender (or answers refused for lack of room): a lone
  // sender is renewed with its entry at every answer and goes with it, so only these
  // need looking at when senders age.
  std::unordered_set<uint64_t> m_setSeveralSenders;
  size_t m_nMaxSenders;
  uint64_t m_nRefusedDevices = 0;
  uint64_t m_nRefusedSenders = 0;
  uint64_t m_nSenderChanges = 0;
  uint64_t m_nRecordChanges = 0;
  // No entry answered before m_dwOldestSeen, while m_bOldestKnown (set by a walk of RemoveAged).
  uint32_t m_dwOldestSeen = 0;
  uint32_t m_dwNewestSeen = 0;  // the last answer's tick
  bool m_bOldestKnown = false;
  uint64_t m_nDroppedDatagrams = 0;
  uint64_t m_nProbesSent = 0;

  uint64_t m_qwKeptMAC = 0;

  KestoDestinations m_destinations;
  CKestoInterfaceSnapshot m_interfaces;
  std::vector<platform::Ipv4Endpoint> m_vecBroadcastEndpoints;
  // The sweep's addresses are copied from m_destinations at a probe.
  CKestoSweep m_sweep;
};

#endif
