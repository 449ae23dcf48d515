#ifndef KESTO_TOOLS_SERVE_SERVEROUTES_H
#define KESTO_TOOLS_SERVE_SERVEROUTES_H

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "tools/serve/FleetTable.h"
#include "tools/serve/MetricsText.h"

// One HTTP request as the routes see it: only what they read.
struct ServeRequest {
  std::string sMethod;
  std::string sPath;
  bool bHasTarget = false;  // ?target= given
  std::string sTarget;
  std::string sAuthorization;
  std::string sAccept;
  std::string sScrapeTimeout;  // X-Prometheus-Scrape-Timeout-Seconds
};

struct ServeResponse {
  int iStatus = 200;
  std::string sContentType = "text/plain; charset=utf-8";
  std::string sBody;
  std::string sAuthenticate;  // WWW-Authenticate, on 401
};

// Sweeps a /probe range (already checked) by unicast for up to dwWaitMs and fills
// the table and counters with what answered; false with a reason when the sweep
// cannot be made (socket).
using ProbeSweep = std::function<bool(const std::string& sRange, uint32_t dwWaitMs, CFleetTable* pTable,
                                      FleetCounters* pCounters, std::string* psError)>;

// The agent's answers, apart from the HTTP library: GET (or HEAD) only, every
// path read-only, a bearer token checked first when one is set. The table and
// counters are read under the mutex the finder loop writes them under.
class CServeRoutes {
 public:
  CServeRoutes(std::string sToken, std::mutex* pMutex, const CFleetTable* pTable, const FleetCounters* pCounters,
               ProbeSweep probe)
      : m_sToken(std::move(sToken)), m_pMutex(pMutex), m_pTable(pTable), m_pCounters(pCounters),
        m_probe(std::move(probe)) {}

  ServeResponse Handle(const ServeRequest& request);

  // How long a /probe sweeps for a scrape timeout header (seconds, may be empty or bad):
  // the timeout less half a second, from 1 s up to 60 s; 10 s when not given.
  static uint32_t ProbeWaitMs(const std::string& sScrapeTimeout);
  // Compares every byte whatever differs first, so the time taken tells nothing of the token.
  static bool SameToken(const std::string& sGiven, const std::string& sToken);

 private:
  ServeResponse Probe(const ServeRequest& request);

  std::string m_sToken;
  std::mutex* m_pMutex;
  const CFleetTable* m_pTable;
  const FleetCounters* m_pCounters;
  ProbeSweep m_probe;
  // One sweep at a time: each holds a socket and sends up to 1000 datagrams a second.
  std::atomic<bool> m_bProbing{false};
};

#endif
