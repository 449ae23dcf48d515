#include "discovery/KestoFinder.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "discovery/KestoWire.h"
#include "platform/UdpSocket.h"

namespace {

std::unique_ptr<platform::DatagramSocket> OpenFinderSocket(const KestoFinderOptions& options,
                                                           std::string* psError) {
  platform::UdpSocketOptions socketOptions;
  socketOptions.bBroadcast = true;
  socketOptions.iReceiveBufferBytes = options.iReceiveBufferBytes;
  return platform::OpenUdpSocket(socketOptions, psError);
}

}  // namespace

CKestoFinder::CKestoFinder() : CKestoFinder(KestoFinderOptions{}) {}

CKestoFinder::CKestoFinder(const KestoFinderOptions& options)
    : m_pTicks(options.pTicks ? options.pTicks : &platform::SystemTickSource()),
      m_endpTarget(options.endpTarget),
      m_nMaxEntries(options.nMaxEntries),
      m_nMaxSenders(std::max<size_t>(1, options.nMaxSendersPerDevice)),
      m_destinations(options.destinations),
      m_interfaces(options.fnReadInterfaces, options.fnRouteSource),
      m_sweep(options.iUnicastPerSecond) {
  m_dwLastProbe = m_pTicks->Now();
  m_hSocket = OpenFinderSocket(options, &m_sSocketError);
  RefreshInterfaces(true);
}

CKestoFinder::CKestoFinder(const KestoFinderOptions& options, std::unique_ptr<platform::DatagramSocket> socket,
                           std::string sSocketError)
    : m_hSocket(std::move(socket)),
      m_pTicks(options.pTicks ? options.pTicks : &platform::SystemTickSource()),
      m_endpTarget(options.endpTarget),
      m_nMaxEntries(options.nMaxEntries),
      m_sSocketError(std::move(sSocketError)),
      m_nMaxSenders(std::max<size_t>(1, options.nMaxSendersPerDevice)),
      m_destinations(options.destinations),
      m_interfaces(options.fnReadInterfaces, options.fnRouteSource),
      m_sweep(options.iUnicastPerSecond) {
  m_dwLastProbe = m_pTicks->Now();
  RefreshInterfaces(true);
}

CKestoFinder::~CKestoFinder() {
  m_hSocket.reset();
  while (!m_listDevices.IsEmpty()) delete static_cast<CKestoInfo*>(m_listDevices.RemoveHead());
}

void CKestoFinder::Poll() {
  // The sweep goes first, so that one finishing at this tick lets the probe start the next.
  PaceSweep();
  RefreshInterfaces(false);
  const uint32_t dwElapsed = m_pTicks->Now() - m_dwLastProbe;
  if (dwElapsed > PROBE_INTERVAL_MS) {
    SendProbe();
    m_dwLastProbe = m_pTicks->Now();
  }
  Receive();
}

int CKestoFinder::SendProbe() {
  if (!m_hSocket) return -1;
  ++m_nProbesSent;
  RefreshInterfaces(false);
  m_vecBroadcastEndpoints = BroadcastEndpoints(m_destinations, m_endpTarget.wPort, m_endpTarget,
                                               m_interfaces.GetTable(), m_interfaces.GetLimitedSource());
  uint8_t iReq[kesto_wire::kDiscoverSize];
  kesto_wire::EncodeDiscover(iReq);
  const int iBroadcast = SendToAll(iReq, sizeof iReq, m_vecBroadcastEndpoints);

  // A changed target list replaces the sweep under way; an unchanged one starts
  // again only once the previous sweep has gone round.
  m_sweep.SetAddresses(m_destinations.vecUnicast);
  const bool bWasSweeping = m_sweep.IsRunning();
  if (m_sweep.Start(m_pTicks->Now())) PaceSweep();
  if (!m_vecBroadcastEndpoints.empty()) return iBroadcast;
  // Unicast only: a sweep just started counts as sent, one under way as nothing due.
  if (bWasSweeping) return 0;
  return m_sweep.GetSent() > 0 && m_sweep.GetSize() > 0 ? static_cast<int>(sizeof iReq) : -1;
}

void CKestoFinder::PaceSweep() {
  if (m_hSocket) m_sweep.Pace(m_pTicks->Now(), *m_hSocket, m_endpTarget.wPort);
}

int CKestoFinder::SendToAll(const void* pData, size_t nSize, const std::vector<platform::Ipv4Endpoint>& endpoints) {
  int iResult = -1;
  for (const platform::Ipv4Endpoint& endpoint : endpoints) {
    // Never waits: a probe lost to a full buffer is followed by the next within a second.
    const int iSent = m_hSocket->SendToNoWait(pData, nSize, endpoint);
    if (iResult < 0 && iSent >= 0) iResult = iSent;
  }
  return iResult;
}

void CKestoFinder::RefreshInterfaces(bool bForce) {
  // Only the default target uses the adapters; an explicit one never needs the table.
  if (m_endpTarget.dwAddress != platform::kLimitedBroadcast) return;
  m_interfaces.Refresh(m_pTicks->Now(), m_endpTarget, bForce);
}

void CKestoFinder::SetDestinations(const KestoDestinations& d) { m_destinations = d; }

uint32_t CKestoFinder::SweepDurationMs(size_t nAddresses, int iPerSecond) {
  return CKestoSweep::DurationMs(nAddresses, iPerSecond);
}

uint32_t CKestoFinder::GetSweepDurationMs() const {
  const size_t nAddresses = m_destinations.vecUnicast.size();
  return nAddresses == 0 ? 0 : SweepDurationMs(nAddresses, m_sweep.GetPerSecond());
}

uint32_t CKestoFinder::GetAgeLimitMs() const {
  const size_t nAddresses = std::max(m_destinations.vecUnicast.size(), m_sweep.GetSize());
  if (nAddresses == 0) return AGE_LIMIT_MS;
  // A sweep starts again only at a probe, so an address comes round once per whole
  // number of probe intervals; one interval more rides out a late answer. A round
  // slowed by the network (addresses being resolved) counts by its real length, so
  // no device is dropped for the sweep's delay.
  const uint32_t dwDuration =
      std::max(SweepDurationMs(nAddresses, m_sweep.GetPerSecond()), m_sweep.RealDurationMs(Now()));
  const uint32_t dwPeriod = (dwDuration + PROBE_INTERVAL_MS - 1) / PROBE_INTERVAL_MS * PROBE_INTERVAL_MS;
  return std::max(AGE_LIMIT_MS, dwPeriod + PROBE_INTERVAL_MS);
}

void CKestoFinder::Receive() {
  // Looks for any waiting datagram rather than 100 waiting bytes: where the OS
  // counts only the first datagram, a short one would otherwise block the queue.
  if (!m_hSocket || !m_hSocket->IsDatagramWaiting()) return;
  uint8_t packetIn[kesto_wire::kRecordSize] = {};
  platform::Ipv4Endpoint Address;
  const long lLength = m_hSocket->ReceiveFrom(packetIn, sizeof packetIn, &Address);
  if (lLength < 0) return;
  if (lLength != static_cast<long>(kesto_wire::kRecordSize)) {
    ++m_nDroppedDatagrams;
    return;
  }
  const KESTO_RECORD record = kesto_wire::DecodeRecord(packetIn);
  const uint64_t key = MacKey(record.byMAC);
  auto found = m_mapByMAC.find(key);
  if (found != m_mapByMAC.end()) {
    CKestoInfo* pInfo = found->second.pInfo;
    pInfo->dwLastSeen = m_pTicks->Now();
    m_dwNewestSeen = pInfo->dwLastSeen;
    if (pInfo->IsDifferent(record)) {
      pInfo->SetRecord(record);
      pInfo->bChanged = 1;
      ++m_nRecordChanges;
    }
  } else {
    AddDevice(record, IsFull() && IsKeptAnswer(record, Address.dwAddress));
    found = m_mapByMAC.find(key);
  }
  // Kept for listed devices only: a refused device has no entry to hang them on.
  if (found != m_mapByMAC.end()) NoteSender(key, found->second, Address, record, m_pTicks->Now());
}

void CKestoFinder::NoteSender(uint64_t key, IndexEntry& entry, const platform::Ipv4Endpoint& from,
                              const KESTO_RECORD& record, uint32_t dwNow) {
  DropAgedSenders(key, entry, dwNow, GetAgeLimitMs());
  for (KestoSender& sender : entry.vecSenders) {
    if (sender.endpoint == from) {
      sender.dwLastSeen = dwNow;
      sender.record = record;
      return;
    }
  }
  if (entry.vecSenders.size() >= m_nMaxSenders) {
    ++entry.nRefusedSenders;
    entry.dwLastRefused = dwNow;
    ++m_nRefusedSenders;
    m_setSeveralSenders.insert(key);
    return;
  }
  entry.vecSenders.push_back(KestoSender{from, dwNow, record});
  ++m_nSenderChanges;
  if (entry.vecSenders.size() > 1) m_setSeveralSenders.insert(key);
}

void CKestoFinder::DropAgedSendersOfAll(uint32_t dwNow, uint32_t dwAgeLimitMs) {
  for (auto it = m_setSeveralSenders.begin(); it != m_setSeveralSenders.end();) {
    const uint64_t key = *it++;  // DropAgedSenders may erase this one
    auto found = m_mapByMAC.find(key);
    if (found != m_mapByMAC.end()) DropAgedSenders(key, found->second, dwNow, dwAgeLimitMs);
  }
}

void CKestoFinder::DropAgedSenders(uint64_t key, IndexEntry& entry, uint32_t dwNow, uint32_t dwAgeLimitMs) {
  // The entries' rule, in wrapping arithmetic: silent for more than the limit.
  m_nSenderChanges += std::erase_if(entry.vecSenders, [&](const KestoSender& sender) {
    return static_cast<uint32_t>(dwNow - sender.dwLastSeen) > dwAgeLimitMs;
  });
  if (entry.vecSenders.size() <= 1 && entry.nRefusedSenders == 0) m_setSeveralSenders.erase(key);
}

const std::vector<KestoSender>& CKestoFinder::GetSenders(const uint8_t byMAC[6]) const {
  static const std::vector<KestoSender> kNone;
  const auto found = m_mapByMAC.find(MacKey(byMAC));
  return found == m_mapByMAC.end() ? kNone : found->second.vecSenders;
}

uint64_t CKestoFinder::GetRefusedSenders(const uint8_t byMAC[6]) const {
  const auto found = m_mapByMAC.find(MacKey(byMAC));
  return found == m_mapByMAC.end() ? 0 : found->second.nRefusedSenders;
}

bool CKestoFinder::HasUntrackedSender(const uint8_t byMAC[6], uint32_t dwNow) const {
  const auto found = m_mapByMAC.find(MacKey(byMAC));
  return found != m_mapByMAC.end() && found->second.nRefusedSenders > 0 &&
         static_cast<uint32_t>(dwNow - found->second.dwLastRefused) <= GetAgeLimitMs();
}

CKestoInfo* CKestoFinder::FindByMAC(const KESTO_RECORD& record, int* piIndex) const {
  auto found = m_mapByMAC.find(MacKey(record.byMAC));
  if (found == m_mapByMAC.end()) return nullptr;
  if (piIndex != nullptr) {
    int iIndex = 0;
    for (ZNPOSITION pos = m_listDevices.GetHeadPosition(); pos != nullptr; ++iIndex) {
      if (m_listDevices.GetNext(pos) == found->second.pInfo) break;
    }
    *piIndex = iIndex;
  }
  return found->second.pInfo;
}

CKestoInfo* CKestoFinder::FindByKey(uint64_t qwMacKey) const {
  const auto found = m_mapByMAC.find(qwMacKey);
  return found == m_mapByMAC.end() ? nullptr : found->second.pInfo;
}

CKestoInfo* CKestoFinder::FindByIP(const platform::Ipv4Endpoint& sender) const {
  for (ZNPOSITION pos = m_listDevices.GetHeadPosition(); pos != nullptr;) {
    auto* pInfo = static_cast<CKestoInfo*>(m_listDevices.GetNext(pos));
    if (pInfo->GetIPAddress() == sender.dwAddress) return pInfo;
  }
  return nullptr;
}

bool CKestoFinder::IsKeptAnswer(const KESTO_RECORD& record, uint32_t dwSender) const {
  if (m_qwKeptMAC != 0 && MacKey(record.byMAC) == m_qwKeptMAC) return true;
  // An answer from an address probed alone: a target the user named.
  if (m_endpTarget.dwAddress != platform::kLimitedBroadcast && dwSender == m_endpTarget.dwAddress) return true;
  return m_sweep.Contains(dwSender);
}

void CKestoFinder::AddDevice(const KESTO_RECORD& record, bool bKept) {
  const size_t nLimit = m_nMaxEntries + (bKept ? kKeptReserve : 0);
  if (static_cast<size_t>(m_listDevices.GetCount()) >= nLimit) {
    ++m_nRefusedDevices;
    return;
  }
  auto* pInfo = new CKestoInfo(record, m_pTicks->Now());
  // The first entry of an empty list sets the oldest answer; later ones are younger.
  if (m_listDevices.IsEmpty()) {
    m_dwOldestSeen = pInfo->dwLastSeen;
    m_bOldestKnown = true;
  }
  m_dwNewestSeen = pInfo->dwLastSeen;
  m_listDevices.AddTail(pInfo);
  ++m_nRecordChanges;
  IndexEntry& entry = m_mapByMAC[MacKey(record.byMAC)];
  entry = IndexEntry{};
  entry.pInfo = pInfo;
}

void CKestoFinder::RemoveAged() {
  const uint32_t dwLimit = GetAgeLimitMs();
  RemoveWhere([this, dwLimit](const CKestoInfo& info) {
    return info.IsAged(m_pTicks->Now(), dwLimit);
  });
  DropAgedSendersOfAll(m_pTicks->Now(), dwLimit);
}

void CKestoFinder::RemoveAged(uint32_t dwNow) { RemoveAged(dwNow, GetAgeLimitMs()); }

void CKestoFinder::RemoveAged(uint32_t dwNow, uint32_t dwAgeLimitMs) {
  if (MayHaveAged(dwNow, dwAgeLimitMs)) {
    // The walk also finds the oldest answer left, so the next walks wait until it could age.
    uint32_t dwOldestAge = 0;
    RemoveWhere([&](const CKestoInfo& info) {
      if (info.IsAged(dwNow, dwAgeLimitMs)) return true;
      dwOldestAge = std::max(dwOldestAge, static_cast<uint32_t>(dwNow - info.dwLastSeen));
      return false;
    });
    m_bOldestKnown = !m_listDevices.IsEmpty();
    m_dwOldestSeen = dwNow - dwOldestAge;
  }
  // A device still listed may have stopped answering from one of its addresses.
  DropAgedSendersOfAll(dwNow, dwAgeLimitMs);
}

void CKestoFinder::RemoveWhere(const std::function<bool(const CKestoInfo&)>& fnAged) {
  for (ZNPOSITION pos = m_listDevices.GetHeadPosition(); pos != nullptr;) {
    ZNPOSITION posThis = pos;
    auto* pInfo = static_cast<CKestoInfo*>(m_listDevices.GetNext(pos));
    if (fnAged(*pInfo)) {
      Unindex(pInfo);
      delete pInfo;
      m_listDevices.RemoveAt(posThis);
    }
  }
}

int CKestoFinder::SendConfig(const KESTO_RECORD& record, std::vector<platform::Ipv4Endpoint>* pvecDirect) {
  if (pvecDirect != nullptr) pvecDirect->clear();
  if (!m_hSocket) return -1;
  uint8_t byBuffer[kesto_wire::kSetConfigSize];
  kesto_wire::EncodeSetConfig(record, byBuffer);
  RefreshInterfaces(false);
  std::vector<platform::Ipv4Endpoint> endpoints =
      BroadcastEndpoints(
      m_destinations, m_endpTarget.wPort, m_endpTarget, m_interfaces.GetTable(), m_interfaces.GetLimitedSource());
  // Straight to every address the device's answers came from: each is known to reach
  // whoever answered, unlike the record's own address, which may be wrong or about to
  // change; and when another host answers for the MAC too, the device still gets it.
  const uint32_t dwNow = m_pTicks->Now();
  std::vector<platform::Ipv4Endpoint> direct;
  for (const KestoSender& sender : GetSenders(record.byMAC)) {
    if (static_cast<uint32_t>(dwNow - sender.dwLastSeen) > GetAgeLimitMs()) continue;
    direct.push_back(sender.endpoint);
    if (std::find(endpoints.begin(), endpoints.end(), sender.endpoint) == endpoints.end())
      endpoints.push_back(sender.endpoint);
  }
  int iResult = -1;
  std::vector<bool> vecWent(endpoints.size(), false);
  for (size_t i = 0; i < endpoints.size(); ++i) {
    const int iSent = m_hSocket->SendToNoWait(byBuffer, sizeof byBuffer, endpoints[i]);
    vecWent[i] = iSent >= 0;
    if (iResult < 0 && iSent >= 0) iResult = iSent;
  }
  if (pvecDirect != nullptr) {
    for (const platform::Ipv4Endpoint& endpoint : direct) {
      const size_t i = static_cast<size_t>(std::find(endpoints.begin(), endpoints.end(), endpoint) - endpoints.begin());
      if (vecWent[i]) pvecDirect->push_back(endpoint);
    }
  }
  return iResult;
}

bool CKestoFinder::WaitForAnswer(int iTimeoutMs) {
  return m_hSocket && m_hSocket->WaitReadable(iTimeoutMs);
}

void CKestoFinder::Unindex(const CKestoInfo* pInfo) {
  const uint64_t key = MacKey(pInfo->GetRecord().byMAC);
  auto found = m_mapByMAC.find(key);
  if (found != m_mapByMAC.end() && found->second.pInfo == pInfo) {
    m_mapByMAC.erase(found);
    m_setSeveralSenders.erase(key);
  }
}
