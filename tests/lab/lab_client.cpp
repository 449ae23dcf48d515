// Test helper: the command line's own finder loop (CFinderSession) run for a fixed
// time, with the watch command's removal rule, measured from inside:
//   lab_client [--broadcast A] [--port N] --duration MS [--port-file F] [--watch MAC] [--set-every MS]
// Writes the local port to the port file after the first probe, sends the first
// listed device's record back in a set-configuration datagram every --set-every
// ms, and at the end prints one line of key=value figures (see Report).
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime; GCC ships no header for it.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

#include "tools/FinderSession.h"
#include "formats/MacText.h"
#include "tools/WatchCommand.h"

namespace {

long ReadStatusKb(const char* pszKey) {
  std::ifstream status("/proc/self/status");
  std::string sLine;
  const size_t nKey = std::strlen(pszKey);
  while (std::getline(status, sLine))
    if (sLine.compare(0, nKey, pszKey) == 0) return std::strtol(sLine.c_str() + nKey + 1, nullptr, 10);
  return -1;
}

int CountOpenFds() {
  int n = 0;
  if (DIR* pDir = opendir("/proc/self/fd")) {
    while (dirent* pEntry = readdir(pDir))
      if (pEntry->d_name[0] != '.') ++n;
    closedir(pDir);
    --n;  // the directory's own descriptor
  }
  return n;
}

// Bytes the heap has handed out and not taken back.
long HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
  return static_cast<long>(__sanitizer_get_current_allocated_bytes());
#else
  return static_cast<long>(mallinfo2().uordblks);
#endif
}

struct Sample {
  long lHeap = -1;
  int iFds = -1;
  long lRssKb = -1;
};

Sample TakeSample() { return {HeapInUse(), CountOpenFds(), ReadStatusKb("VmRSS:")}; }

}  // namespace

int main(int argc, char** argv) {
  TargetOptions target;
  long lDurationMs = 0, lSetEveryMs = 0;
  std::string sPortFile, sWatch;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string sName = argv[i], sValue = argv[i + 1];
    if (sName == "--broadcast") target.sBroadcast = sValue;
    else if (sName == "--port") target.iPort = std::atoi(sValue.c_str());
    else if (sName == "--duration") lDurationMs = std::atol(sValue.c_str());
    else if (sName == "--port-file") sPortFile = sValue;
    else if (sName == "--watch") sWatch = sValue;
    else if (sName == "--set-every") lSetEveryMs = std::atol(sValue.c_str());
    else {
      std::cerr << "lab_client: unknown option " << sName << "\n";
      return 2;
    }
  }
  uint8_t byWatch[6] = {};
  if (lDurationMs <= 0 || lDurationMs > 600000 || (!sWatch.empty() && !ParseMAC(sWatch, byWatch))) {
    std::cerr << "lab_client: needs --duration 1..600000 and a well-formed --watch MAC\n";
    return 2;
  }

  const Sample start = TakeSample();
  int iExitCode = 0;
  auto pSession = CFinderSession::Open(target, std::cerr, &iExitCode);
  if (!pSession) return iExitCode;
  if (!pSession->ProbeNow(std::cerr)) return 5;
  CKestoFinder& finder = pSession->Finder();
  if (!sPortFile.empty()) {
    platform::Ipv4Endpoint local;
    finder.GetSocket()->GetLocalEndpoint(&local);
    std::ofstream(sPortFile + ".tmp") << local.wPort << "\n";
    std::rename((sPortFile + ".tmp").c_str(), sPortFile.c_str());
  }

  using Clock = std::chrono::steady_clock;
  Clock::time_point lastPass = Clock::now();
  double dMaxPassMs = 0;
  long lPasses = 0, lMaxEntries = 0, lSets = 0, lRemoved = 0;
  uint32_t dwLastSet = finder.Now(), dwWatchSeen = 0;
  std::vector<uint32_t> watchSeen;  // ticks at which the watched device's answer was taken
  bool bHadEntries = false;
  Sample firstEmpty, lastEmpty;
  const uint32_t dwAgeLimitMs = kWatchAgeLimitMs;

  auto afterPass = [&]() {
    const Clock::time_point now = Clock::now();
    dMaxPassMs = std::max(dMaxPassMs, std::chrono::duration<double, std::milli>(now - lastPass).count());
    ++lPasses;
    const uint32_t dwNow = finder.Now();
    const CZNObList& devices = finder.GetDevices();
    lMaxEntries = std::max<long>(lMaxEntries, devices.GetCount());
    if (!sWatch.empty()) {
      if (const CKestoInfo* pInfo = FindDeviceByMAC(finder, byWatch);
          pInfo != nullptr && (watchSeen.empty() || pInfo->dwLastSeen != dwWatchSeen)) {
        dwWatchSeen = pInfo->dwLastSeen;
        watchSeen.push_back(dwWatchSeen);
      }
    }
    if (lSetEveryMs > 0 && dwNow - dwLastSet >= static_cast<uint32_t>(lSetEveryMs) && !devices.IsEmpty()) {
      KESTO_RECORD record = static_cast<CKestoInfo*>(devices.GetHead())->GetRecord();
      SetRecordName(record, "soak " + std::to_string(lSets % 7));
      finder.SendConfig(record);
      dwLastSet = dwNow;
      ++lSets;
    }
    const long lBefore = devices.GetCount();
    finder.RemoveAged(dwNow, dwAgeLimitMs);
    lRemoved += lBefore - devices.GetCount();
    if (devices.IsEmpty() && bHadEntries) {
      lastEmpty = TakeSample();
      if (firstEmpty.iFds < 0) firstEmpty = lastEmpty;
    }
    bHadEntries = !devices.IsEmpty();
    lastPass = Clock::now();
    return false;
  };
  pSession->RunPasses(static_cast<uint32_t>(lDurationMs), afterPass);
  if (finder.GetDevices().IsEmpty() && firstEmpty.iFds >= 0) lastEmpty = TakeSample();

  // One line, so a test can pick any figure with sed.
  std::ostringstream report;
  report << "lab_client: passes=" << lPasses << " max_pass_ms=" << static_cast<long>(dMaxPassMs + 0.5)
         << " entries=" << finder.GetDevices().GetCount() << " max_entries=" << lMaxEntries
         << " cap=" << finder.GetMaxEntries() << " refused=" << finder.GetRefusedDevices()
         << " dropped=" << finder.GetDroppedDatagrams() << " removed=" << lRemoved << " sets=" << lSets
         << " rss_start_kb=" << start.lRssKb << " rss_peak_kb=" << ReadStatusKb("VmHWM:")
         << " heap_first_empty=" << firstEmpty.lHeap << " heap_last_empty=" << lastEmpty.lHeap
         << " fds_first_empty=" << firstEmpty.iFds << " fds_last_empty=" << lastEmpty.iFds
         << " end_tick=" << finder.Now() << " watch_seen=";
  for (size_t i = 0; i < watchSeen.size(); ++i) report << (i ? "," : "") << watchSeen[i];
  std::cout << report.str() << std::endl;
  return 0;
}
