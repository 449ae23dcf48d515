#ifndef KESTO_TOOLS_FINDERSESSION_H
#define KESTO_TOOLS_FINDERSESSION_H

#include <cstdint>
#include <csignal>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "discovery/KestoFinder.h"

// Where a command sends its datagrams, as given by --broadcast, --port,
// --interface, --target and --no-broadcast.
struct TargetOptions {
  std::string sBroadcast = "255.255.255.255";
  int iPort = KESTO_UDP_PORT;
  std::vector<std::string> vecInterfaces;  // only these adapters' broadcasts
  std::vector<std::string> vecTargets;     // A.B.C.D or A.B.C.D/prefix, swept by unicast
  bool bNoBroadcast = false;               // only the --target addresses
  int iUnicastPerSecond = 1000;
};

// A finder for one command, and the loop that drives it: probes at once and
// then as the finder does, and takes every waiting answer as it arrives.
class CFinderSession {
 public:
  // Checks the target and opens the socket; on failure writes the reason to
  // err and returns null with *piExitCode set (bad input or network error).
  static std::unique_ptr<CFinderSession> Open(const TargetOptions& target, std::ostream& err, int* piExitCode);

  CKestoFinder& Finder() { return *m_pFinder; }

  // How long one sweep of the --target addresses takes (0 without any).
  uint32_t SweepMs() const { return m_pFinder->GetSweepDurationMs(); }
  // A command's wait: as given, or else lengthened by the sweep so every target is asked once.
  uint32_t WaitMs(int iWaitMs, bool bGiven) const {
    return static_cast<uint32_t>(iWaitMs) + (bGiven ? 0 : SweepMs());
  }
  // True when devices' addresses can be checked against the local subnets: the
  // default target is used and the interface table was read.
  bool CanJudgeSubnets() const;
  bool IsOnLocalSubnet(uint32_t dwIP) const;

  // Sends a probe now; false (and a message on err) when it could not be sent.
  bool ProbeNow(std::ostream& err);

  // Runs passes for up to dwDurationMs. After every pass calls afterPass (may be
  // empty) and stops early when it returns true, or when bStop becomes set.
  // Returns true when it stopped early.
  bool RunPasses(uint32_t dwDurationMs, const std::function<bool()>& afterPass,
                 const volatile std::sig_atomic_t* pbStop = nullptr);

 private:
  explicit CFinderSession(std::unique_ptr<CKestoFinder> pFinder) : m_pFinder(std::move(pFinder)) {}

  std::unique_ptr<CKestoFinder> m_pFinder;
};

// The entry of the device with that MAC address, or null.
CKestoInfo* FindDeviceByMAC(const CKestoFinder& finder, const uint8_t byMAC[6]);

// How long set and open keep listening once the device has answered, for other
// addresses answering the same probe for its MAC.
constexpr uint32_t kSenderSettleMs = 300;

// The note, JSON flag and warning texts for a device answering from several addresses.
constexpr const char* kNoteSeveralSenders = "answers from several addresses";
// Writes "PREFIX: warning: MAC answers from several addresses: A, B ..." to err when the
// device's answers came from more than one address; false when they did not.
bool WarnSeveralSenders(const CKestoFinder& finder, const uint8_t byMAC[6], const char* pszPrefix, std::ostream& err);

// Writes one line to err when no device answered within the wait: the usual
// causes and the command that checks them.
void HintNoAnswer(uint32_t dwWaitMs, uint16_t wPort, std::ostream& err);

#endif
