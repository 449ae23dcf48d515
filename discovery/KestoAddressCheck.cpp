#include "discovery/KestoAddressCheck.h"

#include <algorithm>
#include <cstring>

#include "discovery/KestoInfo.h"

namespace {

CKestoAddressCheck::MacAddress MacOf(const KESTO_RECORD& record) {
  CKestoAddressCheck::MacAddress mac;
  std::memcpy(mac.data(), record.byMAC, mac.size());
  return mac;
}

}  // namespace

void CKestoAddressCheck::Rebuild(const CZNObList& listDevices) {
  m_mapByIP.clear();
  m_vecOrder.clear();
  m_mapByIP.reserve(static_cast<size_t>(listDevices.GetCount()));
  for (ZNPOSITION pos = listDevices.GetHeadPosition(); pos != nullptr;)
    Add(static_cast<const CKestoInfo*>(listDevices.GetNext(pos))->GetRecord());
  Finish();
}

void CKestoAddressCheck::Rebuild(const std::vector<KESTO_RECORD>& records) {
  m_mapByIP.clear();
  m_vecOrder.clear();
  m_mapByIP.reserve(records.size());
  for (const KESTO_RECORD& record : records) Add(record);
  Finish();
}

void CKestoAddressCheck::Add(const KESTO_RECORD& record) {
  if (record.dwIPAddress == 0) return;
  std::vector<MacAddress>& macs = m_mapByIP[record.dwIPAddress];
  if (macs.empty()) m_vecOrder.push_back(record.dwIPAddress);
  const MacAddress mac = MacOf(record);
  // The same device listed twice is still one holder.
  if (std::find(macs.begin(), macs.end(), mac) == macs.end()) macs.push_back(mac);
}

size_t CKestoAddressCheck::AddHolder(const KESTO_RECORD& record) {
  if (record.dwIPAddress == 0) return 0;
  std::vector<MacAddress>& macs = m_mapByIP[record.dwIPAddress];
  const MacAddress mac = MacOf(record);
  if (std::find(macs.begin(), macs.end(), mac) == macs.end()) macs.push_back(mac);
  return macs.size();
}

size_t CKestoAddressCheck::RemoveHolder(const KESTO_RECORD& record) {
  if (record.dwIPAddress == 0) return 0;
  auto found = m_mapByIP.find(record.dwIPAddress);
  if (found == m_mapByIP.end()) return 0;
  std::vector<MacAddress>& macs = found->second;
  const auto it = std::find(macs.begin(), macs.end(), MacOf(record));
  if (it != macs.end()) macs.erase(it);
  const size_t nLeft = macs.size();
  if (nLeft == 0) m_mapByIP.erase(found);
  return nLeft;
}

size_t CKestoAddressCheck::CountHolders(uint32_t dwIP) const {
  if (dwIP == 0) return 0;
  auto found = m_mapByIP.find(dwIP);
  return found == m_mapByIP.end() ? 0 : found->second.size();
}

void CKestoAddressCheck::Finish() {
  m_vecShared.clear();
  for (uint32_t dwIP : m_vecOrder)
    if (m_mapByIP[dwIP].size() > 1) m_vecShared.push_back(dwIP);
}

std::vector<CKestoAddressCheck::MacAddress> CKestoAddressCheck::MACsWithIP(uint32_t dwIP) const {
  auto found = m_mapByIP.find(dwIP);
  return found == m_mapByIP.end() ? std::vector<MacAddress>{} : found->second;
}

std::vector<CKestoAddressCheck::MacAddress> CKestoAddressCheck::OtherMACsWithIP(const KESTO_RECORD& record) const {
  std::vector<MacAddress> others;
  if (record.dwIPAddress == 0) return others;
  auto found = m_mapByIP.find(record.dwIPAddress);
  if (found == m_mapByIP.end()) return others;
  const MacAddress mac = MacOf(record);
  for (const MacAddress& other : found->second)
    if (other != mac) others.push_back(other);
  return others;
}

bool CKestoAddressCheck::IsDuplicateIP(const KESTO_RECORD& record) const {
  if (record.dwIPAddress == 0) return false;
  auto found = m_mapByIP.find(record.dwIPAddress);
  if (found == m_mapByIP.end()) return false;
  const MacAddress mac = MacOf(record);
  return std::any_of(found->second.begin(), found->second.end(), [&](const MacAddress& other) { return other != mac; });
}

bool CKestoAddressCheck::IsOnLocalSubnet(uint32_t dwIP, const std::vector<platform::NetInterface>& table) {
  return std::any_of(table.begin(), table.end(), [dwIP](const platform::NetInterface& entry) {
    return entry.bUp && entry.dwMask != 0 && (dwIP & entry.dwMask) == (entry.dwAddress & entry.dwMask);
  });
}
