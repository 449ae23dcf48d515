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
  std::string& s = pDevice->sInfoLabels;
  s.clear();
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

FleetDevice* CFleetTable::Add(const KESTO_RECORD& record) {
  if (m_devices.size() >= m_nMaxDevices) {
    ++m_nRefused;
    return nullptr;
  }
  FleetDevice& device = m_devices[MacKey(record.byMAC)];
  device.record = record;
  MakeLabels(&device);
  return &device;
}

FleetDevice* CFleetTable::Seen(const KESTO_RECORD& record, int64_t llSeenMs) {
  const auto found = m_devices.find(MacKey(record.byMAC));
  FleetDevice* pDevice = nullptr;
  if (found == m_devices.end()) {
    pDevice = Add(record);
    if (pDevice == nullptr) return nullptr;
    pDevice->llFirstSeenMs = llSeenMs;
  } else {
    pDevice = &found->second;
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
  if (m_devices.count(MacKey(record.byMAC)) != 0) return false;
  FleetDevice* pDevice = Add(record);
  if (pDevice == nullptr) return false;
  pDevice->llFirstSeenMs = llFirstSeenMs;
  pDevice->llLastSeenMs = llLastSeenMs;
  pDevice->qwChanges = qwChanges;
  pDevice->bUp = false;
  return true;
}

void CFleetTable::Age(int64_t llNowMs, int64_t llDownAfterMs) {
  for (auto it = m_devices.begin(); it != m_devices.end();) {
    FleetDevice& device = it->second;
    const int64_t llSilentMs = llNowMs - device.llLastSeenMs;
    if (llSilentMs > m_llForgetAfterMs) {
      it = m_devices.erase(it);
      continue;
    }
    device.bUp = llSilentMs <= llDownAfterMs;
    ++it;
  }
}

size_t CFleetTable::UpCount() const {
  return static_cast<size_t>(
      std::count_if(m_devices.begin(), m_devices.end(), [](const auto& entry) { return entry.second.bUp; }));
}
