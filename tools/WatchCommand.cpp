#include "tools/WatchCommand.h"

#include <algorithm>
#include <ostream>
#include <unordered_map>

#include "tools/formats/DeviceJson.h"
#include "tools/DeviceTable.h"
#include "tools/ExitCodes.h"

namespace {

// Watching runs in slices so that "until stopped" needs no special loop.
constexpr uint32_t kSliceMs = 60000;
// A growing refused count, or a sweep still late, is said again at most this often.
constexpr uint32_t kNoticeEveryMs = 1000;
constexpr uint32_t kSweepNoticeEveryMs = 5000;

uint64_t MacKey(const KESTO_RECORD& record) {
  uint64_t key = 0;
  for (uint8_t byByte : record.byMAC) key = key << 8 | byByte;
  return key;
}

void PrintEvent(std::ostream& out, bool bJson, const char* pszEvent, const KESTO_RECORD& record) {
  if (bJson) {
    DeviceJson line = DeviceJson::object();
    line["event"] = pszEvent;
    line["device"] = DeviceToJson(record);
    // ASCII only, as in `kesto list --json`: a C1 character in UTF-8 would still reach the terminal.
    out << line.dump(-1, ' ', true) << "\n";
  } else {
    out << pszEvent;
    for (const std::string& sColumn : DeviceColumns(record)) out << '\t' << sColumn;
    out << "\n";
  }
  // Lines go out at once: whoever reads them waits for each event.
  out.flush();
}

// A full list refusing new devices: an event of its own in JSON, a line on stderr in table form.
void PrintRefused(std::ostream& out, std::ostream& err, bool bJson, const CKestoFinder& finder) {
  if (bJson) {
    DeviceJson line = DeviceJson::object();
    line["event"] = "refused";
    line["refused"] = finder.GetRefusedDevices();
    line["max_entries"] = finder.GetMaxEntries();
    line["full"] = finder.IsFull();
    out << line.dump() << "\n";
    out.flush();
  } else {
    err << "kesto: the device list is full (" << finder.GetMaxEntries() << " devices): "
        << finder.GetRefusedDevices() << " new devices refused so far\n";
  }
}

}  // namespace

int RunWatch(const WatchOptions& options, std::ostream& out, std::ostream& err,
             const volatile std::sig_atomic_t* pbStop) {
  int iExitCode = kExitOk;
  auto pSession = FinderSession::Open(options.target, err, &iExitCode);
  if (!pSession) return iExitCode;
  if (!pSession->ProbeNow(err)) return kExitNetwork;
  CKestoFinder& finder = pSession->Finder();

  // The record last printed per device: the finder's bChanged stays raised for
  // good, so a change is reported when the bytes differ from what was shown.
  std::unordered_map<uint64_t, KESTO_RECORD> shown;
  uint64_t qwRefusedShown = 0;
  uint32_t dwRefusedShownAt = 0;
  bool bSweepBehindShown = false;
  uint32_t dwSweepShownAt = 0;
  auto afterPass = [&]() {
    const uint32_t dwNow = finder.Now();
    uint32_t dwAgeLimitMs = static_cast<uint32_t>(options.iAgeLimitMs);
    // A sweep comes round less often than a probe (and a slow one later still, which
    // the finder's limit follows); keep the same half interval of slack over it.
    if (!options.bAgeLimitGiven)
      dwAgeLimitMs = std::max(dwAgeLimitMs, finder.GetAgeLimitMs() + (kWatchAgeLimitMs - AGE_LIMIT_MS));
    if (finder.GetRefusedDevices() != qwRefusedShown &&
        (qwRefusedShown == 0 || dwNow - dwRefusedShownAt >= kNoticeEveryMs)) {
      qwRefusedShown = finder.GetRefusedDevices();
      dwRefusedShownAt = dwNow;
      PrintRefused(out, err, options.bJson, finder);
    }
    const bool bBehind = finder.IsSweepBehind();
    if (bBehind && (!bSweepBehindShown || dwNow - dwSweepShownAt >= kSweepNoticeEveryMs)) {
      err << "kesto: the --target sweep is falling behind: " << finder.GetSweepSent() << " of "
          << finder.GetSweepSize() << " addresses sent in " << finder.GetSweepElapsedMs() / 1000
          << " s (the network is slow to take them; devices are kept until it comes round)\n";
      dwSweepShownAt = dwNow;
    }
    bSweepBehindShown = bBehind;
    const CZNObList& devices = finder.GetDevices();
    for (ZNPOSITION pos = devices.GetHeadPosition(); pos != nullptr;) {
      auto* pInfo = static_cast<CKestoInfo*>(devices.GetNext(pos));
      const KESTO_RECORD& record = pInfo->GetRecord();
      // Only an entry whose record ever changed can differ from what was shown: the
      // others skip the look-up, which adds up over thousands of entries a pass.
      if (!pInfo->bListed) {
        pInfo->bListed = 1;
        shown[MacKey(record)] = record;
        PrintEvent(out, options.bJson, "added", record);
      } else if (pInfo->bChanged && !(shown[MacKey(record)] == record)) {
        shown[MacKey(record)] = record;
        PrintEvent(out, options.bJson, "changed", record);
      }
      if (pInfo->IsAged(dwNow, dwAgeLimitMs)) {
        shown.erase(MacKey(record));
        PrintEvent(out, options.bJson, "removed", record);
      }
    }
    // Same tick as the test above, so an entry is removed exactly when it was reported.
    finder.RemoveAged(dwNow, dwAgeLimitMs);
    return false;
  };

  if (options.iDurationMs < 0) {
    while (!pSession->RunPasses(kSliceMs, afterPass, pbStop)) {
    }
  } else {
    pSession->RunPasses(static_cast<uint32_t>(options.iDurationMs), afterPass, pbStop);
  }
  return kExitOk;
}
