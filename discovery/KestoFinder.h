#ifndef KESTO_DISCOVERY_KESTOFINDER_H
#define KESTO_DISCOVERY_KESTOFINDER_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include "COMMON/ZNObList.h"
#include "discovery/KestoInfo.h"
#include "platform/DatagramSocket.h"
#include "platform/TickCount.h"

struct KestoFinderOptions {
  // Where probes and set-configuration datagrams go.
  platform::Ipv4Endpoint endpTarget{platform::kLimitedBroadcast, KESTO_UDP_PORT};
  // The clock; null means the system's monotonic tick count.
  platform::TickSource* pTicks = nullptr;
  // Answers from new MAC addresses beyond this many entries are dropped and counted.
  size_t nMaxEntries = 16384;
  // Room for a burst of answers to one probe.
  int iReceiveBufferBytes = 1 << 20;
};

// Keeps the list of devices present on the network: probes about once a second,
// takes answers one at a time without blocking, keeps one entry per MAC address
// in order of first answer, and drops devices silent for more than two seconds.
// It reports nothing by itself; IsSocketOpen/GetSocketError tell a caller whether
// the socket could be opened.
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

  // One step: a probe when more than PROBE_INTERVAL_MS have passed, then at most one answer.
  void Poll();
  int SendProbe();
  // Reads at most one waiting datagram and records it when it is exactly 100 bytes.
  void Receive();

  CKestoInfo* FindByMAC(const KESTO_RECORD& record, int* piIndex = nullptr) const;
  CKestoInfo* FindByIP(const platform::Ipv4Endpoint& sender) const;
  void AddDevice(const KESTO_RECORD& record);
  // Frees and unlinks every aged entry, reading the clock once per entry.
  void RemoveAged();
  // The same against one given tick, so a caller can decide expiry once per pass.
  void RemoveAged(uint32_t dwNow);
  // The same with a longer silence allowed, for a caller that must ride out a lost answer.
  void RemoveAged(uint32_t dwNow, uint32_t dwAgeLimitMs);
  int SendConfig(const KESTO_RECORD& record);

  // Waits up to iTimeoutMs for a datagram to read; true when one waits.
  bool WaitForAnswer(int iTimeoutMs);

  // The entries, head first; callers may change bListed but never add or remove.
  const CZNObList& GetDevices() const { return m_listDevices; }
  uint32_t Now() const { return m_pTicks->Now(); }

  bool IsSocketOpen() const { return m_hSocket != nullptr; }
  const std::string& GetSocketError() const { return m_sSocketError; }
  platform::DatagramSocket* GetSocket() { return m_hSocket.get(); }
  const platform::Ipv4Endpoint& GetTarget() const { return m_endpTarget; }

  // Answers from new devices refused because the list was full.
  uint64_t GetRefusedDevices() const { return m_nRefusedDevices; }
  // Datagrams read and dropped because they were not exactly 100 bytes.
  uint64_t GetDroppedDatagrams() const { return m_nDroppedDatagrams; }
  size_t GetMaxEntries() const { return m_nMaxEntries; }

 private:
  void Unindex(const CKestoInfo* pInfo);
  // Frees and unlinks, in list order, every entry the test picks.
  void RemoveWhere(const std::function<bool(const CKestoInfo&)>& fnAged);

  std::unique_ptr<platform::DatagramSocket> m_hSocket;
  CZNObList m_listDevices;
  uint32_t m_dwLastProbe;

  platform::TickSource* m_pTicks;
  platform::Ipv4Endpoint m_endpTarget;
  size_t m_nMaxEntries;
  std::string m_sSocketError;
  // MAC (six bytes in a 64-bit key) to entry, so an answer finds its entry without a walk.
  std::unordered_map<uint64_t, CKestoInfo*> m_mapByMAC;
  uint64_t m_nRefusedDevices = 0;
  uint64_t m_nDroppedDatagrams = 0;
};

#endif
