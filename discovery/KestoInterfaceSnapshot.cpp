#include "discovery/KestoInterfaceSnapshot.h"

#include <utility>

void CKestoInterfaceSnapshot::Refresh(uint32_t dwNow, const platform::Ipv4Endpoint& endpLimited, bool bForce) {
  if (!m_fnRead) return;
  if (!bForce && m_bTried && static_cast<uint32_t>(dwNow - m_dwReadAt) < kRefreshMs) return;
  m_bTried = true;
  m_dwReadAt = dwNow;
  std::vector<platform::NetInterface> table;
  if (m_fnRead(&table) && (!m_bRead || table != m_vecTable)) {
    m_vecTable = std::move(table);
    m_bRead = true;
    ++m_qwVersion;
  }
  uint32_t dwSource = 0;
  m_dwLimitedSource = m_fnRoute && m_fnRoute(endpLimited, &dwSource) ? dwSource : 0;
}
