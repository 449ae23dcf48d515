#ifndef KESTO_DISCOVERY_KESTOINTERFACESNAPSHOT_H
#define KESTO_DISCOVERY_KESTOINTERFACESNAPSHOT_H

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/InterfaceTable.h"
#include "platform/Ipv4Endpoint.h"

// This computer's interface table as last read, read again at most every 5 s, and the
// local address the limited broadcast leaves from. One copy serves the finder's
// probes, the window's adapter box and subnet marks, and the command line's checks.
class CKestoInterfaceSnapshot {
 public:
  using ReadTable = std::function<bool(std::vector<platform::NetInterface>*)>;
  using RouteSource = std::function<bool(const platform::Ipv4Endpoint&, uint32_t*)>;

  static constexpr uint32_t kRefreshMs = 5000;

  // An empty fnRead reads nothing (no table); an empty fnRoute looks nothing up.
  CKestoInterfaceSnapshot(ReadTable fnRead, RouteSource fnRoute)
      : m_fnRead(std::move(fnRead)), m_fnRoute(std::move(fnRoute)) {}

  // Reads the table when bForce, when it was never read, or when kRefreshMs have passed
  // since the last read (in wrapping ticks). An unreadable table keeps the last one read.
  void Refresh(uint32_t dwNow, const platform::Ipv4Endpoint& endpLimited, bool bForce);

  const std::vector<platform::NetInterface>& GetTable() const { return m_vecTable; }
  // Whether any read succeeded.
  bool HasTable() const { return m_bRead; }
  // Where 255.255.255.255 leaves from, or 0 when unknown.
  uint32_t GetLimitedSource() const { return m_dwLimitedSource; }
  // Grows whenever the table (or whether one is known) changes, so a reader can tell
  // in one comparison whether it must look again.
  uint64_t GetVersion() const { return m_qwVersion; }

 private:
  ReadTable m_fnRead;
  RouteSource m_fnRoute;
  std::vector<platform::NetInterface> m_vecTable;
  bool m_bRead = false;
  bool m_bTried = false;
  uint32_t m_dwReadAt = 0;
  uint32_t m_dwLimitedSource = 0;
  uint64_t m_qwVersion = 0;
};

#endif
