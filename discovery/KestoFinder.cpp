#include "discovery/KestoFinder.h"

#include <cstring>
#include <utility>

#include "discovery/KestoWire.h"
#include "platform/UdpSocket.h"

namespace {

uint64_t MacKey(const uint8_t byMAC[6]) {
  uint64_t key = 0;
  for (int i = 0; i < 6; ++i) key = (key << 8) | byMAC[i];
  return key;
}

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
      m_nMaxEntries(options.nMaxEntries) {
  m_dwLastProbe = m_pTicks->Now();
  m_hSocket = OpenFinderSocket(options, &m_sSocketError);
}

CKestoFinder::CKestoFinder(const KestoFinderOptions& options, std::unique_ptr<platform::DatagramSocket> socket,
                           std::string sSocketError)
    : m_hSocket(std::move(socket)),
      m_pTicks(options.pTicks ? options.pTicks : &platform::SystemTickSource()),
      m_endpTarget(options.endpTarget),
      m_nMaxEntries(options.nMaxEntries),
      m_sSocketError(std::move(sSocketError)) {
  m_dwLastProbe = m_pTicks->Now();
}

CKestoFinder::~CKestoFinder() {
  m_hSocket.reset();
  while (!m_listDevices.IsEmpty()) delete static_cast<CKestoInfo*>(m_listDevices.RemoveHead());
}

void CKestoFinder::Poll() {
  const uint32_t dwElapsed = m_pTicks->Now() - m_dwLastProbe;
  if (dwElapsed > PROBE_INTERVAL_MS) {
    SendProbe();
    m_dwLastProbe = m_pTicks->Now();
  }
  Receive();
}

int CKestoFinder::SendProbe() {
  if (!m_hSocket) return -1;
  uint8_t iReq[kesto_wire::kDiscoverSize];
  kesto_wire::EncodeDiscover(iReq);
  return m_hSocket->SendTo(iReq, sizeof iReq, m_endpTarget);
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
  if (CKestoInfo* pInfo = FindByMAC(record)) {
    pInfo->dwLastSeen = m_pTicks->Now();
    if (pInfo->IsDifferent(record)) {
      pInfo->SetRecord(record);
      pInfo->bChanged = 1;
    }
    return;
  }
  AddDevice(record);
}

CKestoInfo* CKestoFinder::FindByMAC(const KESTO_RECORD& record, int* piIndex) const {
  auto found = m_mapByMAC.find(MacKey(record.byMAC));
  if (found == m_mapByMAC.end()) return nullptr;
  if (piIndex != nullptr) {
    int iIndex = 0;
    for (ZNPOSITION pos = m_listDevices.GetHeadPosition(); pos != nullptr; ++iIndex) {
      if (m_listDevices.GetNext(pos) == found->second) break;
    }
    *piIndex = iIndex;
  }
  return found->second;
}

CKestoInfo* CKestoFinder::FindByIP(const platform::Ipv4Endpoint& sender) const {
  for (ZNPOSITION pos = m_listDevices.GetHeadPosition(); pos != nullptr;) {
    auto* pInfo = static_cast<CKestoInfo*>(m_listDevices.GetNext(pos));
    if (pInfo->GetIPAddress() == sender.dwAddress) return pInfo;
  }
  return nullptr;
}

void CKestoFinder::AddDevice(const KESTO_RECORD& record) {
  if (static_cast<size_t>(m_listDevices.GetCount()) >= m_nMaxEntries) {
    ++m_nRefusedDevices;
    return;
  }
  auto* pInfo = new CKestoInfo(record, m_pTicks->Now());
  m_listDevices.AddTail(pInfo);
  m_mapByMAC[MacKey(record.byMAC)] = pInfo;
}

void CKestoFinder::RemoveAged() {
  RemoveWhere([this](const CKestoInfo& info) { return info.IsAged(m_pTicks->Now()); });
}

void CKestoFinder::RemoveAged(uint32_t dwNow) { RemoveAged(dwNow, AGE_LIMIT_MS); }

void CKestoFinder::RemoveAged(uint32_t dwNow, uint32_t dwAgeLimitMs) {
  RemoveWhere([=](const CKestoInfo& info) { return static_cast<uint32_t>(dwNow - info.dwLastSeen) > dwAgeLimitMs; });
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

int CKestoFinder::SendConfig(const KESTO_RECORD& record) {
  if (!m_hSocket) return -1;
  uint8_t byBuffer[kesto_wire::kSetConfigSize];
  kesto_wire::EncodeSetConfig(record, byBuffer);
  return m_hSocket->SendTo(byBuffer, sizeof byBuffer, m_endpTarget);
}

bool CKestoFinder::WaitForAnswer(int iTimeoutMs) {
  return m_hSocket && m_hSocket->WaitReadable(iTimeoutMs);
}

void CKestoFinder::Unindex(const CKestoInfo* pInfo) {
  auto found = m_mapByMAC.find(MacKey(pInfo->GetRecord().byMAC));
  if (found != m_mapByMAC.end() && found->second == pInfo) m_mapByMAC.erase(found);
}
