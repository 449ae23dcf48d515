// `kesto serve` on Linux: the finder loop in the main thread, the HTTP server
// (Debian's cpp-httplib) in a bounded pool of its own.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <ostream>
#include <sstream>
#include <thread>
#include <vector>

#include <httplib.h>
#include <malloc.h>

#include "discovery/KestoFinder.h"
#include "tools/ExitCodes.h"
#include "tools/ServeCommand.h"
#include "tools/TextFile.h"
#include "tools/WatchCommand.h"
#include "tools/serve/ConnectionGuard.h"
#include "tools/serve/FleetFollower.h"
#include "tools/serve/FleetStateFile.h"
#include "tools/serve/FleetTable.h"
#include "tools/serve/MetricsText.h"
#include "tools/serve/ServeRoutes.h"
#include "version/KestoVersion.h"

namespace {

// The table follows the finder this often; a scrape a second sees at most this much lag.
constexpr uint32_t kUpdateEveryMs = 500;
constexpr int64_t kSaveEveryMs = 60000;
constexpr uint32_t kSliceMs = 60000;
// Per read and write of a connection, and how long an idle kept-alive one stays.
constexpr time_t kReadTimeoutS = 5;
constexpr time_t kWriteTimeoutS = 10;
constexpr time_t kKeepAliveS = 5;
constexpr size_t kKeepAliveRequests = 20;
// Requests carry no body.
constexpr size_t kMaxPayloadBytes = 1024;
constexpr size_t kMinTokenBytes = 16;
constexpr size_t kMaxTokenBytes = 4096;
// A probe's answers may trail its last unicast by this much.
constexpr uint32_t kProbeSlackMs = 1000;

int64_t WallMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// The connections served at once, and as many more waiting: when both are taken the
// accepting thread waits, and further connections wait in the kernel's listen queue.
// *pnOpen counts the connections taken and not yet finished, for the connection guard.
class CBoundedPool : public httplib::TaskQueue {
 public:
  CBoundedPool(size_t nThreads, std::atomic<size_t>* pnOpen) : m_nMaxQueued(nThreads), m_pnOpen(pnOpen) {
    for (size_t i = 0; i < nThreads; ++i) m_threads.emplace_back([this] { Work(); });
  }
  ~CBoundedPool() override = default;

  void enqueue(std::function<void()> fn) override {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_room.wait(lock, [this] { return m_queue.size() < m_nMaxQueued || m_bShutdown; });
    if (m_bShutdown) return;
    ++*m_pnOpen;
    m_queue.push_back(std::move(fn));
    m_ready.notify_one();
  }

  void shutdown() override {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_bShutdown = true;
    }
    m_ready.notify_all();
    m_room.notify_all();
    for (std::thread& thread : m_threads) thread.join();
  }

 private:
  void Work() {
    for (;;) {
      std::function<void()> fn;
      {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_ready.wait(lock, [this] { return !m_queue.empty() || m_bShutdown; });
        if (m_queue.empty()) return;
        fn = std::move(m_queue.front());
        m_queue.pop_front();
      }
      m_room.notify_one();
      fn();
      --*m_pnOpen;
    }
  }

  size_t m_nMaxQueued;
  std::atomic<size_t>* m_pnOpen;
  std::vector<std::thread> m_threads;
  std::deque<std::function<void()>> m_queue;
  std::mutex m_mutex;
  std::condition_variable m_ready;
  std::condition_variable m_room;
  bool m_bShutdown = false;
};

bool IsLoopback(uint32_t dwAddress) { return (dwAddress >> 24) == 127; }

// Reads the token file: its first line, which must be 16 bytes or more.
bool ReadToken(const std::string& sPath, std::string* psToken, std::string* psError) {
  std::string sText;
  if (!ReadTextFile(sPath, kMaxTokenBytes, nullptr, &sText, psError)) return false;
  sText = sText.substr(0, sText.find_first_of("\r\n"));
  if (sText.size() < kMinTokenBytes) {
    *psError = sPath + ": the token must be at least " + std::to_string(kMinTokenBytes) + " characters on its first line";
    return false;
  }
  *psToken = sText;
  return true;
}

uint32_t DownAfterMs(const CKestoFinder& finder) {
  // As `kesto watch` removes a device: one lost answer is ridden out, and a sweep's round is waited for.
  return std::max(static_cast<uint32_t>(kWatchAgeLimitMs), finder.GetAgeLimitMs() + (kWatchAgeLimitMs - AGE_LIMIT_MS));
}

void CountInto(const CKestoFinder& finder, const CFleetTable& table, FleetCounters* pCounters) {
  pCounters->qwAnswersRefused = finder.GetRefusedDevices() + finder.GetDroppedDatagrams() + table.Refused();
  pCounters->qwProbesSent = finder.GetProbesSent();
}

// One /probe: a finder of its own sending only to the range.
bool ProbeRange(const TargetOptions& base, const std::string& sRange, uint32_t dwWaitMs,
                const volatile std::sig_atomic_t* pbStop, CFleetTable* pTable, FleetCounters* pCounters,
                std::string* psError) {
  TargetOptions target;
  target.iPort = base.iPort;
  target.iUnicastPerSecond = base.iUnicastPerSecond;
  target.vecTargets = {sRange};
  target.bNoBroadcast = true;
  std::ostringstream err;
  int iExitCode = kExitOk;
  auto pSession = CFinderSession::Open(target, err, &iExitCode);
  if (!pSession || !pSession->ProbeNow(err)) {
    *psError = err.str();
    return false;
  }
  CKestoFinder& finder = pSession->Finder();
  pSession->RunPasses(std::min(dwWaitMs, pSession->SweepMs() + kProbeSlackMs), {}, pbStop);
  const int64_t llNowMs = WallMs();
  const uint32_t dwNow = finder.Now();
  finder.VisitDevices([&](const CKestoInfo& entry) {
    pTable->Seen(entry.GetRecord(), llNowMs - static_cast<uint32_t>(dwNow - entry.dwLastSeen));
  });
  CountInto(finder, *pTable, pCounters);
  return true;
}

ServeRequest RequestOf(const httplib::Request& req) {
  ServeRequest request;
  request.sMethod = req.method;
  request.sPath = req.path;
  request.bHasTarget = req.has_param("target");
  if (request.bHasTarget) request.sTarget = req.get_param_value("target");
  request.sAuthorization = req.get_header_value("Authorization");
  request.sAccept = req.get_header_value("Accept");
  request.sScrapeTimeout = req.get_header_value("X-Prometheus-Scrape-Timeout-Seconds");
  return request;
}

}  // namespace

int RunServe(const ServeOptions& options, std::ostream& out, std::ostream& err,
             const volatile std::sig_atomic_t* pbStop) {
  // A scrape's megabytes are built in whichever HTTP thread takes it: with glibc's
  // defaults each thread's heap would keep its own copy after the first. Fixed
  // thresholds hand such blocks back to the system, and two heaps serve all threads.
  mallopt(M_MMAP_THRESHOLD, 256 * 1024);
  mallopt(M_ARENA_MAX, 2);
  uint32_t dwListen = 0;
  if (!ParseAddress(options.sListen, &dwListen)) {
    err << "kesto: --listen: \"" << options.sListen << "\" is not an address (four numbers 0-255)\n";
    return kExitBadInput;
  }
  std::string sToken;
  if (!options.sTokenFile.empty()) {
    std::string sError;
    if (!ReadToken(options.sTokenFile, &sToken, &sError)) {
      err << "kesto: --token-file: " << sError << "\n";
      return kExitBadInput;
    }
  } else if (!IsLoopback(dwListen) && !options.bNoAuth) {
    err << "kesto: --listen " << options.sListen
        << " is reachable from other hosts: give --token-file FILE, or --no-auth to answer anyone\n";
    return kExitBadInput;
  }

  int iExitCode = kExitOk;
  auto pSession = CFinderSession::Open(options.target, err, &iExitCode);
  if (!pSession) return iExitCode;
  CKestoFinder& finder = pSession->Finder();

  std::mutex mutex;
  CFleetTable table(finder.GetMaxEntries(), static_cast<int64_t>(options.iForgetAfterS) * 1000);
  FleetCounters counters;
  counters.sVersion = GetKestoVersion();
  if (!options.sStateFile.empty()) {
    std::string sNotice;
    const bool bLoaded = LoadFleetState(options.sStateFile, &table, &sNotice);
    if (!sNotice.empty()) err << "kesto: --state: " << sNotice << "\n";
    if (!bLoaded) return kExitFailed;
    table.Age(WallMs(), DownAfterMs(finder));
  }

  CServeRoutes routes(sToken, &mutex, &table, &counters,
                      [&](const std::string& sRange, uint32_t dwWaitMs, CFleetTable* pTable, FleetCounters* pCounters,
                          std::string* psError) {
                        return ProbeRange(options.target, sRange, dwWaitMs, pbStop, pTable, pCounters, psError);
                      });
  std::atomic<size_t> nOpenConnections{0};
  httplib::Server server;
  const size_t nConnections = static_cast<size_t>(options.iMaxConnections);
  server.new_task_queue = [nConnections, &nOpenConnections] { return new CBoundedPool(nConnections, &nOpenConnections); };
  server.set_read_timeout(kReadTimeoutS);
  server.set_write_timeout(kWriteTimeoutS);
  server.set_keep_alive_timeout(kKeepAliveS);
  server.set_keep_alive_max_count(kKeepAliveRequests);
  server.set_payload_max_length(kMaxPayloadBytes);
  server.set_pre_routing_handler([&routes](const httplib::Request& req, httplib::Response& res) {
    ServeResponse response = routes.Handle(RequestOf(req));
    res.status = response.iStatus;
    if (!response.sAuthenticate.empty()) res.set_header("WWW-Authenticate", response.sAuthenticate);
    res.set_header("X-Content-Type-Options", "nosniff");
    res.set_header("Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'");
    // Handed over as a provider of known length, which the library sends as it is: a
    // body it would compress for any client offering gzip or brotli, and brotli at its
    // slowest took seconds of CPU for a full list. Moved, not copied: megabytes.
    auto pBody = std::make_shared<std::string>(std::move(response.sBody));
    const size_t nLength = pBody->size();
    if (nLength == 0) {
      res.set_header("Content-Type", response.sContentType);
    } else {
      res.set_content_provider(nLength, response.sContentType,
                               [pBody](size_t nOffset, size_t nBytes, httplib::DataSink& sink) {
                                 sink.write(pBody->data() + nOffset, std::min(nBytes, pBody->size() - nOffset));
                                 return true;
                               });
    }
    return httplib::Server::HandlerResponse::Handled;
  });
  const int iPort = options.iHttpPort == 0 ? server.bind_to_any_port(options.sListen)
                                           : (server.bind_to_port(options.sListen, options.iHttpPort) ? options.iHttpPort : -1);
  if (iPort <= 0) {
    err << "kesto: cannot listen on " << options.sListen << ":" << options.iHttpPort
        << " (in use, or not an address of this host?)\n";
    return kExitNetwork;
  }
  if (!pSession->ProbeNow(err)) return kExitNetwork;
  CConnectionGuard guard(iPort, &nOpenConnections);
  std::thread httpThread([&server] { server.listen_after_bind(); });
  out << "kesto: serving http://" << options.sListen << ":" << iPort << "/metrics" << (sToken.empty() ? "" : " (bearer token needed)") << "\n";
  out.flush();

  CFleetFollower follower;
  uint32_t dwLastUpdate = finder.Now() - kUpdateEveryMs;
  int64_t llLastSave = WallMs();
  auto save = [&] {
    std::string sText;
    {
      std::lock_guard<std::mutex> lock(mutex);
      sText = FleetStateToJson(table);
    }
    std::string sError;
    if (!WriteTextFile(options.sStateFile, sText, true, &sError)) err << "kesto: --state: " << sError << "\n";
  };
  auto afterPass = [&] {
    if (finder.Now() - dwLastUpdate < kUpdateEveryMs) return false;
    dwLastUpdate = finder.Now();
    {
      std::lock_guard<std::mutex> lock(mutex);
      follower.Follow(finder, &table, WallMs(), DownAfterMs(finder));
      finder.RemoveAged(finder.Now(), DownAfterMs(finder));
      CountInto(finder, table, &counters);
    }
    if (!options.sStateFile.empty() && WallMs() - llLastSave >= kSaveEveryMs) {
      llLastSave = WallMs();
      save();
    }
    return false;
  };
  if (options.iDurationMs < 0) {
    while (!pSession->RunPasses(kSliceMs, afterPass, pbStop)) {
    }
  } else {
    pSession->RunPasses(static_cast<uint32_t>(options.iDurationMs), afterPass, pbStop);
  }
  server.stop();
  httpThread.join();
  if (guard.Cut() > 0)
    err << "kesto: " << guard.Cut() << " HTTP connections were cut for receiving over 64 KiB or lasting over 90 s\n";
  if (!options.sStateFile.empty()) save();
  return kExitOk;
}
