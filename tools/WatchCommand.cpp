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
  uint32_t dwAgeLimitMs = static_cast<uint32_t>(options.iAgeLimitMs);
  // A sweep comes round less often than a probe; keep the same half interval of slack over it.
  if (!options.bAgeLimitGiven)
    dwAgeLimitMs = std::max(dwAgeLimitMs, finder.GetAgeLimitMs() + (kWatchAgeLimitMs - AGE_LIMIT_MS));
  auto afterPass = [&]() {
    const uint32_t dwNow = finder.Now();
    const CZNObList& devices = finder.GetDevices();
    for (ZNPOSITION pos = devices.GetHeadPosition(); pos != nullptr;) {
      auto* pInfo = static_cast<CKestoInfo*>(devices.GetNext(pos));
      const KESTO_RECORD& record = pInfo->GetRecord();
      if (!pInfo->bListed) {
        pInfo->bListed = 1;
        shown[MacKey(record)] = record;
        PrintEvent(out, options.bJson, "added", record);
      } else if (!(shown[MacKey(record)] == record)) {
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
