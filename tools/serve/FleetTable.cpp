#include "tools/serve/FleetTable.h"

#include <algorithm>

#include "discovery/KestoName.h"
#include "discovery/KestoRecordRules.h"

namespace {

void AddLabel(std::string& sOut, const char* pszName, std::string_view value) {
  if (!sOut.empty()) sOut += ',';
  sOut += pszName;
  sOut += "=\"";
  sOut += MetricLabelValue(value);
  sOut += '"';
}

void MakeLabels(FleetDevice* pDevice) {
  const KESTO_RECORD& r = pDevice->record;
  std::string s;
  s.reserve(320);
  AddLabel(s, "mac", FormatMAC(r.byMAC));
  AddLabel(s, "ip", FormatAddress(r.dwIPAddress));
  AddLabel(s, "netmask", FormatAddress(r.dwNetMask));
  AddLabel(s, "gateway", FormatAddress(r.dwGateway));
  AddLabel(s, "name", FieldText(r.szName, sizeof r.szName));
  AddLabel(s, "type", std::to_string(static_cast<int>(r.cType)));
  AddLabel(s, "firmware", FieldText(r.szVersion, sizeof r.szVersion));
  AddLabel(s, "port", std::to_string(r.iPort));
  AddLabel(s, "protocol", ProtocolText(r.shProtocol));
  AddLabel(s, "baud", std::to_string(BaudFromWire(r.wBaudRate)));
  // Copied, so the table keeps no room beyond the text: it holds one per device.
  pDevice->sInfoLabels = std::string(s);
}

}  // namespace

std::string MetricLabelValue(std::string_view bytes) {
  const std::string sUtf8 = Latin1ToUtf8(bytes);
  std::string sOut;
  sOut.reserve(sUtf8.size());
  for (char c : sUtf8) {
    if (c == '\\') {
      sOut += "\\\\";
    } else if (c == '"') {
      sOut += "\\\"";
    } else if (c == '\n') {
      sOut += "\\n";
    } else {
      sOut += c;
    }
  }
  return sOut;
}

CFleetTable::CFleetTable(size_t nMaxDevices, int64_t llForgetAfterMs)
    : m_nMaxDevices(nMaxDevices), m_llForgetAfterMs(llForgetAfterMs) {
  size_t nBuckets = 8;
  unsigned nBits = 3;
  while (nBuckets < 2 * nMaxDevices) {
    nBuckets *= 2;
    ++nBits;
  }
  m_index.assign(nBuckets, 0);
  m_nIndexShift = 64 - nBits;
}

size_t CFleetTable::Bucket(uint64_t qwKey) const {
  // Fibonacci hashing: MACs of one maker differ only in their low bytes.
  return static_cast<size_t>((qwKey * 0x9E3779B97F4A7C15ull) >> m_nIndexShift);
}

uint32_t CFleetTable::SlotOf(uint64_t qwKey) const {
  const size_t nMask = m_index.size() - 1;
  for (size_t b = Bucket(qwKey);; b = (b + 1) & nMask) {
    const uint32_t nEntry = m_index[b];
    if (nEntry == 0) return kNoSlot;
    if (m_devices[nEntry - 1].Key() == qwKey) return nEntry - 1;
  }
}

void CFleetTable::Index(uint32_t nSlot) {
  const size_t nMask = m_index.size() - 1;
  size_t b = Bucket(m_devices[nSlot].Key());
  while (m_index[b] != 0) b = (b + 1) & nMask;
  m_index[b] = nSlot + 1;
}

const FleetDevice* CFleetTable::Find(uint64_t qwMacKey) const {
  const uint32_t nSlot = SlotOf(qwMacKey);
  return nSlot == kNoSlot ? nullptr : &m_devices[nSlot];
}

FleetDevice* CFleetTable::Add(const KESTO_RECORD& record) {
  if (m_devices.size() >= m_nMaxDevices) {
    ++m_nRefused;
    return nullptr;
  }
  // Room for the cap at once: a full table is never copied while it grows.
  if (m_devices.capacity() < m_nMaxDevices || m_order.capacity() < m_nMaxDevices) {
    m_devices.reserve(m_nMaxDevices);
    m_order.reserve(m_nMaxDevices);
  }
  const uint32_t nSlot = static_cast<uint32_t>(m_devices.size());
  FleetDevice& device = m_devices.emplace_back();
  device.record = record;
  MakeLabels(&device);
  Index(nSlot);
  const uint64_t qwKey = device.Key();
  m_order.insert(std::lower_bound(m_order.begin(), m_order.end(), qwKey,
                                  [this](uint32_t nOther, uint64_t qwNew) { return m_devices[nOther].Key() < qwNew; }),
                 nSlot);
  return &device;
}

FleetDevice* CFleetTable::Seen(const KESTO_RECORD& record, int64_t llSeenMs) {
  const uint32_t nSlot = SlotOf(MacKey(record.byMAC));
  FleetDevice* pDevice = nullptr;
  if (nSlot == kNoSlot) {
    pDevice = Add(record);
    if (pDevice == nullptr) return nullptr;
    pDevice->llFirstSeenMs = llSeenMs;
  } else {
    pDevice = &m_devices[nSlot];
    if (!(pDevice->record == record)) {
      pDevice->record = record;
      ++pDevice->qwChanges;
      MakeLabels(pDevice);
    }
  }
  // Answers are taken in passes, so an older sighting may come after a newer one.
  pDevice->llLastSeenMs = std::max(pDevice->llLastSeenMs, llSeenMs);
  pDevice->bUp = true;
  return pDevice;
}

bool CFleetTable::Restore(const KESTO_RECORD& record, int64_t llFirstSeenMs, int64_t llLastSeenMs,
                          uint64_t qwChanges) {
  if (SlotOf(MacKey(record.byMAC)) != kNoSlot) return false;
  FleetDevice* pDevice = Add(record);
  if (pDevice == nullptr) return false;
  pDevice->llFirstSeenMs = llFirstSeenMs;
  pDevice->llLastSeenMs = llLastSeenMs;
  pDevice->qwChanges = qwChanges;
  pDevice->bUp = false;
  return true;
}

void CFleetTable::Age(int64_t llNowMs, int64_t llDownAfterMs) {
  bool bForget = false;
  for (FleetDevice& device : m_devices) {
    const int64_t llSilentMs = llNowMs - device.llLastSeenMs;
    bForget = bForget || llSilentMs > m_llForgetAfterMs;
    device.bUp = llSilentMs <= llDownAfterMs;
  }
  if (!bForget) return;
  std::erase_if(m_devices, [&](const FleetDevice& device) {
    if (llNowMs - device.llLastSeenMs <= m_llForgetAfterMs) return false;
    m_moreSenders.erase(device.Key());
    return true;
  });
  Reindex();
}

void CFleetTable::Reindex() {
  std::fill(m_index.begin(), m_index.end(), 0u);
  m_order.resize(m_devices.size());
  for (uint32_t nSlot = 0; nSlot < m_devices.size(); ++nSlot) {
    Index(nSlot);
    m_order[nSlot] = nSlot;
  }
  std::sort(m_order.begin(), m_order.end(),
            [this](uint32_t a, uint32_t b) { return m_devices[a].Key() < m_devices[b].Key(); });
}

void CFleetTable::SetSenders(FleetDevice* pDevice, const std::vector<platform::Ipv4Endpoint>& senders,
                             uint64_t qwRefused) {
  pDevice->bHasSender = !senders.empty();
  pDevice->firstSender = senders.empty() ? platform::Ipv4Endpoint{} : senders.front();
  if (senders.size() <= 1 && qwRefused == 0) {
    if (!m_moreSenders.empty()) m_moreSenders.erase(pDevice->Key());
    return;
  }
  MoreSenders& more = m_moreSenders[pDevice->Key()];
  more.vecSenders.assign(senders.begin() + 1, senders.end());
  more.qwRefused = qwRefused;
}

std::vector<platform::Ipv4Endpoint> CFleetTable::Senders(const FleetDevice& device) const {
  std::vector<platform::Ipv4Endpoint> senders;
  if (!device.bHasSender) return senders;
  senders.push_back(device.firstSender);
  const auto found = m_moreSenders.find(device.Key());
  if (found != m_moreSenders.end())
    senders.insert(senders.end(), found->second.vecSenders.begin(), found->second.vecSenders.end());
  return senders;
}

uint64_t CFleetTable::RefusedSenders(const FleetDevice& device) const {
  const auto found = m_moreSenders.find(device.Key());
  return found == m_moreSenders.end() ? 0 : found->second.qwRefused;
}

size_t CFleetTable::UpCount() const {
  return static_cast<size_t>(
      std::count_if(m_devices.begin(), m_devices.end(), [](const FleetDevice& device) { return device.bUp; }));
}
