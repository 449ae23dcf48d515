#ifndef KESTO_DISCOVERY_KESTOADDRESSCHECK_H
#define KESTO_DISCOVERY_KESTOADDRESSCHECK_H

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "COMMON/ZNObList.h"
#include "discovery/KestoRecord.h"
#include "platform/InterfaceTable.h"

// Finds devices that report the same IP address, in one linear pass over a list,
// or kept up one device at a time (AddHolder/RemoveHolder) by a caller that follows
// changes. 0.0.0.0 (a device without an address yet) is never counted as shared.
class CKestoAddressCheck {
 public:
  using MacAddress = std::array<uint8_t, 6>;

  // Rebuilds from the finder's entries (or any list of records).
  void Rebuild(const CZNObList& listDevices);
  void Rebuild(const std::vector<KESTO_RECORD>& records);

  // The MACs of the OTHER devices reporting the same IP; empty when not a duplicate.
  std::vector<MacAddress> OtherMACsWithIP(const KESTO_RECORD& record) const;
  bool IsDuplicateIP(const KESTO_RECORD& record) const;

  // One device more (or less) holding record's IP; the number of MACs holding it
  // afterwards (0 for 0.0.0.0). GetSharedIPs is left as the last Rebuild made it.
  size_t AddHolder(const KESTO_RECORD& record);
  size_t RemoveHolder(const KESTO_RECORD& record);
  size_t CountHolders(uint32_t dwIP) const;

  // The addresses held by more than one device, in the order of their first holder.
  const std::vector<uint32_t>& GetSharedIPs() const { return m_vecShared; }
  // Every MAC reporting dwIP, in list order.
  std::vector<MacAddress> MACsWithIP(uint32_t dwIP) const;

  // True when the IP lies in the subnet of some up interface of the table.
  static bool IsOnLocalSubnet(uint32_t dwIP, const std::vector<platform::NetInterface>& table);

 private:
  void Add(const KESTO_RECORD& record);
  void Finish();

  // IP to the MACs reporting it; most hold one, so the vector stays tiny.
  std::unordered_map<uint32_t, std::vector<MacAddress>> m_mapByIP;
  std::vector<uint32_t> m_vecOrder;
  std::vector<uint32_t> m_vecShared;
};

#endif
