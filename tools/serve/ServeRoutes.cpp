#include "tools/serve/ServeRoutes.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "discovery/KestoDestinations.h"
#include "tools/serve/FleetDocuments.h"

namespace {

constexpr uint32_t kDefaultProbeWaitMs = 10000;
constexpr uint32_t kMinProbeWaitMs = 1000;
constexpr uint32_t kMaxProbeWaitMs = 60000;
constexpr uint32_t kProbeMarginMs = 500;

ServeResponse Text(int iStatus, std::string sBody) {
  ServeResponse response;
  response.iStatus = iStatus;
  response.sBody = std::move(sBody);
  return response;
}

ServeResponse Json(std::string sBody) {
  ServeResponse response;
  response.sContentType = "application/json";
  response.sBody = std::move(sBody);
  return response;
}

}  // namespace

bool CServeRoutes::SameToken(const std::string& sGiven, const std::string& sToken) {
  // The length is no secret worth hiding; the bytes are.
  unsigned char byDiff = sGiven.size() == sToken.size() ? 0 : 1;
  for (size_t i = 0; i < sGiven.size(); ++i)
    byDiff |= static_cast<unsigned char>(sGiven[i] ^ (i < sToken.size() ? sToken[i] : 0));
  return byDiff == 0 && !sToken.empty();
}

uint32_t CServeRoutes::ProbeWaitMs(const std::string& sScrapeTimeout) {
  if (sScrapeTimeout.empty() || sScrapeTimeout.size() > 16) return kDefaultProbeWaitMs;
  char* pEnd = nullptr;
  const double dSeconds = std::strtod(sScrapeTimeout.c_str(), &pEnd);
  if (pEnd == sScrapeTimeout.c_str() || *pEnd != '\0' || !(dSeconds > 0)) return kDefaultProbeWaitMs;
  const double dMs = std::min(dSeconds * 1000.0, 1e9) - kProbeMarginMs;
  return static_cast<uint32_t>(std::clamp(dMs, double(kMinProbeWaitMs), double(kMaxProbeWaitMs)));
}

ServeResponse CServeRoutes::Handle(const ServeRequest& request) {
  if (!m_sToken.empty()) {
    constexpr std::string_view kBearer = "Bearer ";
    const std::string& sAuth = request.sAuthorization;
    const bool bGood = sAuth.size() > kBearer.size() && sAuth.compare(0, kBearer.size(), kBearer) == 0 &&
                       SameToken(sAuth.substr(kBearer.size()), m_sToken);
    if (!bGood) {
      ServeResponse response = Text(401, "a bearer token is needed (Authorization: Bearer ...)\n");
      response.sAuthenticate = "Bearer realm=\"kesto\"";
      return response;
    }
  }
  if (request.sMethod != "GET" && request.sMethod != "HEAD")
    return Text(405, "read-only: only GET and HEAD are answered\n");

  if (request.sPath == "/probe") return Probe(request);
  std::lock_guard<std::mutex> lock(*m_pMutex);
  if (request.sPath == "/metrics") {
    const MetricsFormat format = MetricsFormatFor(request.sAccept);
    ServeResponse response;
    response.sContentType = MetricsContentType(format);
    response.sBody = FleetMetricsText(*m_pTable, *m_pCounters, format);
    return response;
  }
  if (request.sPath == "/sd") return Json(FleetServiceDiscoveryJson(*m_pTable));
  if (request.sPath == "/api/devices") return Json(FleetDevicesJson(*m_pTable));
  if (request.sPath == "/") {
    ServeResponse response;
    response.sContentType = "text/html; charset=utf-8";
    response.sBody = FleetPageHtml(*m_pTable, m_pCounters->sVersion);
    return response;
  }
  return Text(404, "not found: try /, /metrics, /probe?target=A.B.C.D/N, /sd or /api/devices\n");
}

ServeResponse CServeRoutes::Probe(const ServeRequest& request) {
  if (!request.bHasTarget) return Text(400, "/probe needs ?target=A.B.C.D or A.B.C.D/20..32\n");
  std::vector<uint32_t> addresses;
  std::string sError;
  if (!AddTargetRange(request.sTarget, &addresses, &sError)) return Text(400, "target: " + sError + "\n");
  bool bIdle = false;
  if (!m_bProbing.compare_exchange_strong(bIdle, true)) return Text(503, "another /probe is running; try again\n");
  CFleetTable table(addresses.size(), 0);
  FleetCounters counters;
  counters.sVersion = m_pCounters->sVersion;
  const bool bDone = m_probe(request.sTarget, ProbeWaitMs(request.sScrapeTimeout), &table, &counters, &sError);
  m_bProbing = false;
  if (!bDone) return Text(500, "probe: " + sError + "\n");
  const MetricsFormat format = MetricsFormatFor(request.sAccept);
  ServeResponse response;
  response.sContentType = MetricsContentType(format);
  response.sBody = FleetMetricsText(table, counters, format);
  return response;
}
