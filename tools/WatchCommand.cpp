#include "tools/WatchCommand.h"

#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <unordered_map>

#include "discovery/KestoDeviceDiff.h"
#include "formats/DeviceJson.h"
#include "formats/DeviceList.h"
#include "formats/DeviceRowTexts.h"
#include "tools/CommonOptions.h"
#include "tools/DecimalOption.h"
#include "tools/DeviceTable.h"
#include "tools/ExitCodes.h"

namespace {

// Watching runs in slices so that "until stopped" needs no special loop.
constexpr uint32_t kSliceMs = 60000;
// A growing refused count, or a sweep still late, is said again at most this often.
constexpr uint32_t kNoticeEveryMs = 1000;
constexpr uint32_t kSweepNoticeEveryMs = 5000;
// Silence this long from every device is worth a hint (a listing waits 1.5 s).
constexpr uint32_t kNoAnswerHintMs = 3000;

// What a line shows of a device: its record and where its answers came from.
struct Shown {
  KESTO_RECORD record;
  ListedDevice senders;
  bool operator==(const Shown& other) const {
    return record == other.record && senders.vecSenders == other.senders.vecSenders &&
           senders.bSeveralSenders == other.senders.bSeveralSenders;
  }
};

Shown ShownOf(const CKestoFinder& finder, const KESTO_RECORD& record) {
  Shown shown{record, {}};
  // The list of addresses is shown only when there are several: one address coming or
  // going is the usual life of a device and would make every line a change. Texts are
  // made only then, so a pass over many plain devices builds none.
  const std::vector<KestoSender>& senders = finder.GetSenders(record.byMAC);
  const uint64_t nRefused = finder.GetRefusedSenders(record.byMAC);
  if (senders.size() > 1 || nRefused > 0) SetListedSenders(&shown.senders, senders, nRefused);
  return shown;
}

void PrintEvent(std::ostream& out, bool bJson, const char* pszEvent, const Shown& shown) {
  const KESTO_RECORD& record = shown.record;
  if (bJson) {
    DeviceJson line = DeviceJson::object();
    line["event"] = pszEvent;
    line["device"] = DeviceToJson(record);
    if (shown.senders.bSeveralSenders) AddSenders(line["device"], shown.senders);
    // ASCII only, as in `kesto list --json`: a C1 character in UTF-8 would still reach the terminal.
    out << AsciiJson(line, -1) << "\n";
  } else {
    out << pszEvent;
    for (const std::string& sColumn : RowTextsOf(record)) out << '\t' << sColumn;
    if (shown.senders.bSeveralSenders) {
      out << '\t' << kNoteSeveralSenders << ':';
      for (const std::string& sSender : shown.senders.vecSenders) out << ' ' << sSender;
    }
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
    out << AsciiJson(line, -1) << "\n";
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
  auto pSession = CFinderSession::Open(options.target, err, &iExitCode);
  if (!pSession) return iExitCode;
  if (!pSession->ProbeNow(err)) return kExitNetwork;
  CKestoFinder& finder = pSession->Finder();

  // The record last printed per device: the finder's bChanged stays raised for
  // good, so a change is reported when the bytes differ from what was shown.
  std::unordered_map<uint64_t, Shown> shown;
  uint64_t qwRefusedShown = 0;
  uint32_t dwRefusedShownAt = 0;
  bool bSweepBehindShown = false;
  uint32_t dwSweepShownAt = 0;
  uint64_t qwSenderChangesSeen = 0;
  const uint32_t dwStart = finder.Now();
  bool bHintDue = true;  // until some device answers or the hint was given
  auto hintIfSilent = [&](bool bAtEnd) {
    if (!bHintDue) return;
    if (finder.GetDevices().GetCount() > 0) {
      bHintDue = false;
      return;
    }
    const uint32_t dwSilentMs = finder.Now() - dwStart;
    if (!bAtEnd && dwSilentMs < kNoAnswerHintMs) return;
    HintNoAnswer(dwSilentMs, finder.GetTarget().wPort, err);
    bHintDue = false;
  };
  auto afterPass = [&]() {
    const uint32_t dwNow = finder.Now();
    hintIfSilent(false);
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
    const bool bSendersChanged = finder.GetSenderChanges() != qwSenderChangesSeen;
    qwSenderChangesSeen = finder.GetSenderChanges();
    // Only an entry whose record ever changed, or any entry after a change of senders,
    // can differ from what was shown: the others skip the look-up, which adds up over
    // thousands of entries a pass.
    using Event = CKestoDeviceDiff::Event;
    CKestoDeviceDiff::Pass(finder, dwNow, dwAgeLimitMs, bSendersChanged, [&](Event event, const CKestoInfo& entry) {
      const KESTO_RECORD& record = entry.GetRecord();
      if (event == Event::kAdded) {
        Shown now = ShownOf(finder, record);
        PrintEvent(out, options.bJson, "added", now);
        if (now.senders.bSeveralSenders) WarnSeveralSenders(finder, record.byMAC, "kesto watch", err);
        shown[MacKey(record.byMAC)] = std::move(now);
      } else if (event == Event::kChanged) {
        Shown now = ShownOf(finder, record);
        if (Shown& last = shown[MacKey(record.byMAC)]; !(last == now)) {
          const bool bNewWarning = now.senders.bSeveralSenders && !last.senders.bSeveralSenders;
          last = now;
          PrintEvent(out, options.bJson, "changed", now);
          if (bNewWarning) WarnSeveralSenders(finder, record.byMAC, "kesto watch", err);
        }
      } else {
        shown.erase(MacKey(record.byMAC));
        PrintEvent(out, options.bJson, "removed", ShownOf(finder, record));
      }
    });
    return false;
  };

  if (options.iDurationMs < 0) {
    while (!pSession->RunPasses(kSliceMs, afterPass, pbStop)) {
    }
  } else {
    pSession->RunPasses(static_cast<uint32_t>(options.iDurationMs), afterPass, pbStop);
  }
  hintIfSilent(true);
  return kExitOk;
}

void AddWatchCommand(CLI::App* pApp, KestoCommands* pCommands) {
  auto pOptions = std::make_shared<WatchOptions>();
  CLI::App* pWatch = pApp->add_subcommand("watch", "Print devices as they are added, changed or removed");
  pWatch->footer(std::string(kDeviceTextHelp) + "\n" + kExitCodeHelp);
  AddWaitOption(pWatch, "--duration", &pOptions->iDurationMs, "How long to watch, in ms (default: until Ctrl-C)");
  pWatch->add_flag("--json", pOptions->bJson, "Print JSON lines {\"event\":...,\"device\":{...}}");
  CLI::Option* pAgeLimit = AddDecimalOption(pWatch, "--age-limit", &pOptions->iAgeLimitMs, AGE_LIMIT_MS, 3600 * 1000,
                                            "Report a device removed after this many ms of silence (default 2500: "
                                            "one lost answer is ridden out)");
  AddTargetOptions(pWatch, &pOptions->target);
  pCommands->push_back({pWatch, [pOptions, pAgeLimit](const CommandStreams& io) {
                          pOptions->bAgeLimitGiven = pAgeLimit->count() > 0;
                          return RunWatch(*pOptions, io.out, io.err, StopOnSignals());
                        }});
}
