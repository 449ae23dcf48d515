#include "tools/FinderSession.h"

#include <algorithm>
#include <cstring>
#include <ostream>

#include "discovery/KestoAddressCheck.h"
#include "discovery/ReceiveRoomNotice.h"
#include "tools/ExitCodes.h"

namespace {

// Bound the reads of one pass, in count and in time, so a flood cannot starve
// the rest of the loop: what is left waits in the socket for the next pass.
constexpr int kMaxReadsPerPass = 20000;
constexpr uint32_t kMaxReadMsPerPass = 10;
constexpr int kReadsPerClockLook = 64;
// Idle wait between passes; an arriving answer ends it at once.
constexpr uint32_t kIdleWaitMs = 10;
// Room for every answer of a full list to one probe (Linux doubles the request and
// counts about 1 KiB a queued answer).
constexpr int kReceiveBufferBytes = 8 << 20;

std::string JoinNames(const std::vector<std::string>& names) {
  std::string sText;
  for (const std::string& sName : names) sText += (sText.empty() ? "" : ", ") + sName;
  return sText.empty() ? "none" : sText;
}

// Fills the destinations from the options; false with a message for bad input.
bool BuildDestinations(const TargetOptions& target, bool bDefaultTarget, KestoDestinations* pDestinations,
                       std::ostream& err) {
  for (const std::string& sRange : target.vecTargets) {
    std::string sError;
    if (!AddTargetRange(sRange, &pDestinations->vecUnicast, &sError)) {
      err << "kesto: --target: " << sError << "\n";
      return false;
    }
  }
  if (target.bNoBroadcast) {
    if (pDestinations->vecUnicast.empty()) {
      err << "kesto: --no-broadcast needs at least one --target to send to\n";
      return false;
    }
    pDestinations->bLimitedBroadcast = false;
    pDestinations->bEveryAdapter = false;
  }
  if (!target.vecInterfaces.empty()) {
    if (target.bNoBroadcast || !bDefaultTarget) {
      err << "kesto: --interface picks adapters for the default broadcast; it cannot go with "
          << (target.bNoBroadcast ? "--no-broadcast" : "--broadcast " + target.sBroadcast) << "\n";
      return false;
    }
    pDestinations->vecInterfaces = target.vecInterfaces;
  }
  return true;
}

}  // namespace

std::unique_ptr<CFinderSession> CFinderSession::Open(const TargetOptions& target, std::ostream& err,
                                                   int* piExitCode) {
  KestoFinderOptions options;
  if (!ParseAddress(target.sBroadcast, &options.endpTarget.dwAddress)) {
    err << "kesto: --broadcast: \"" << target.sBroadcast << "\" is not an address (four numbers 0-255)\n";
    *piExitCode = kExitBadInput;
    return nullptr;
  }
  if (target.iPort < 1 || target.iPort > 65535) {
    err << "kesto: --port: " << target.iPort << " is not a port number (1-65535)\n";
    *piExitCode = kExitBadInput;
    return nullptr;
  }
  options.endpTarget.wPort = static_cast<uint16_t>(target.iPort);
  options.iReceiveBufferBytes = kReceiveBufferBytes;
  options.iUnicastPerSecond = target.iUnicastPerSecond;
  if (!BuildDestinations(target, options.endpTarget.dwAddress == platform::kLimitedBroadcast, &options.destinations,
                         err)) {
    *piExitCode = kExitBadInput;
    return nullptr;
  }
  auto pFinder = std::make_unique<CKestoFinder>(options);
  if (!pFinder->IsSocketOpen()) {
    err << "kesto: cannot open the UDP socket: " << pFinder->GetSocketError() << "\n";
    *piExitCode = kExitNetwork;
    return nullptr;
  }
  if (!target.vecInterfaces.empty()) {
    if (!pFinder->HasInterfaceTable()) {
      err << "kesto: --interface: the interface table cannot be read\n";
      *piExitCode = kExitNetwork;
      return nullptr;
    }
    const std::vector<std::string> unusable = UnusableInterfaces(target.vecInterfaces, pFinder->GetInterfaces());
    if (!unusable.empty()) {
      err << "kesto: --interface: " << JoinNames(unusable)
          << (unusable.size() == 1 ? " is" : " are") << " not an up, broadcast-capable IPv4 interface; usable: "
          << JoinNames(UsableInterfaceNames(pFinder->GetInterfaces())) << "\n";
      *piExitCode = kExitBadInput;
      return nullptr;
    }
  }
  // Said once, before any answer: a listing cut short by the OS would otherwise look complete.
  const std::string sNotice = ReceiveRoomNotice(pFinder->GetSocket(), pFinder->GetMaxEntries());
  if (!sNotice.empty()) err << "kesto: note: " << sNotice << "\n";
  return std::unique_ptr<CFinderSession>(new CFinderSession(std::move(pFinder)));
}

bool CFinderSession::ProbeNow(std::ostream& err) {
  if (m_pFinder->SendProbe() >= 0) return true;
  const platform::Ipv4Endpoint& target = m_pFinder->GetTarget();
  if (m_pFinder->GetDestinations().bLimitedBroadcast && m_pFinder->GetDestinations().vecInterfaces.empty()) {
    err << "kesto: cannot send the discovery request to " << FormatAddress(target.dwAddress) << ":" << target.wPort
        << " (is there a route to it?)\n";
  } else {
    err << "kesto: cannot send the discovery request to any destination (is there a route to it?)\n";
  }
  return false;
}

bool CFinderSession::CanJudgeSubnets() const {
  return m_pFinder->GetTarget().dwAddress == platform::kLimitedBroadcast && m_pFinder->HasInterfaceTable();
}

bool CFinderSession::IsOnLocalSubnet(uint32_t dwIP) const {
  return CKestoAddressCheck::IsOnLocalSubnet(dwIP, m_pFinder->GetInterfaces());
}

bool CFinderSession::RunPasses(uint32_t dwDurationMs, const std::function<bool()>& afterPass,
                              const volatile std::sig_atomic_t* pbStop) {
  CKestoFinder& finder = *m_pFinder;
  const uint32_t dwStart = finder.Now();
  for (;;) {
    const uint32_t dwPassStart = finder.Now();
    finder.Poll();
    for (int n = 0; n < kMaxReadsPerPass && finder.WaitForAnswer(0); ++n) {
      finder.Receive();
      if (n % kReadsPerClockLook == kReadsPerClockLook - 1 && finder.Now() - dwPassStart >= kMaxReadMsPerPass) break;
    }
    if (afterPass && afterPass()) return true;
    if (pbStop != nullptr && *pbStop) return true;
    const uint32_t dwElapsed = finder.Now() - dwStart;
    if (dwElapsed >= dwDurationMs) return false;
    finder.WaitForAnswer(static_cast<int>(std::min(kIdleWaitMs, dwDurationMs - dwElapsed)));
  }
}

CKestoInfo* FindDeviceByMAC(const CKestoFinder& finder, const uint8_t byMAC[6]) {
  KESTO_RECORD key;
  std::memcpy(key.byMAC, byMAC, sizeof key.byMAC);
  return finder.FindByMAC(key);
}

bool WarnSeveralSenders(const CKestoFinder& finder, const uint8_t byMAC[6], const char* pszPrefix, std::ostream& err) {
  const std::vector<KestoSender>& senders = finder.GetSenders(byMAC);
  const uint64_t nRefused = finder.GetRefusedSenders(byMAC);
  if (senders.size() < 2 && nRefused == 0) return false;
  err << pszPrefix << ": warning: " << FormatMAC(byMAC) << " " << kNoteSeveralSenders << ": " << FormatSenders(senders);
  if (nRefused > 0) err << " and " << nRefused << " answers from further addresses";
  err << " (another host may be answering for it)\n";
  return true;
}

void HintNoAnswer(uint32_t dwWaitMs, uint16_t wPort, std::ostream& err) {
  err << "kesto: no device answered within " << dwWaitMs << " ms; usual causes: a firewall dropping UDP from port "
      << wPort << ", the wrong adapter or subnet, devices without power; run `kesto doctor` to check\n";
}
