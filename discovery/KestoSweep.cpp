#include "discovery/KestoSweep.h"

#include <algorithm>

#include "discovery/KestoWire.h"

namespace {

// The window the per-second bound holds over.
constexpr uint32_t kRateWindowMs = 1000;

}  // namespace

CKestoSweep::CKestoSweep(int iPerSecond) : m_iPerSecond(std::max(1, iPerSecond)) {}

void CKestoSweep::SetAddresses(const std::vector<uint32_t>& vecAddresses) {
  if (vecAddresses == m_vecAddresses) return;
  m_vecAddresses = vecAddresses;
  m_setAddresses = std::unordered_set<uint32_t>(vecAddresses.begin(), vecAddresses.end());
  m_bRunning = false;
  m_nNext = 0;
  m_dwLastRoundMs = 0;
}

bool CKestoSweep::Start(uint32_t dwNow) {
  if (m_bRunning || m_vecAddresses.empty()) return false;
  m_bRunning = true;
  m_nNext = 0;
  m_dwStart = dwNow;
  m_dwLastAccepted = dwNow;
  return true;
}

void CKestoSweep::Pace(uint32_t dwNow, platform::DatagramSocket& socket, uint16_t wPort) {
  if (!m_bRunning) return;
  while (!m_dequeRecentSends.empty() &&
         static_cast<uint32_t>(dwNow - m_dequeRecentSends.front().first) >= kRateWindowMs) {
    m_nRecentSends -= m_dequeRecentSends.front().second;
    m_dequeRecentSends.pop_front();
  }
  unsigned long ulUnsent = 0;
  const bool bUnsentKnown = socket.GetUnsentBytes(&ulUnsent);
  if (m_nNext < m_vecAddresses.size()) {
    // Slot k of the round falls due k / rate seconds after its start.
    const uint64_t qwElapsed = static_cast<uint32_t>(dwNow - m_dwStart);
    const uint64_t qwRate = static_cast<uint64_t>(m_iPerSecond);
    const uint64_t qwDue = std::min<uint64_t>(m_vecAddresses.size(), qwElapsed * qwRate / 1000 + 1);
    const uint64_t qwRoom = qwRate - std::min<uint64_t>(m_nRecentSends, qwRate);
    const uint64_t qwSend = std::min({qwDue > m_nNext ? qwDue - m_nNext : 0, qwRoom,
                                      static_cast<uint64_t>(kMaxSendsPerPace)});
    uint8_t iReq[kesto_wire::kDiscoverSize];
    kesto_wire::EncodeDiscover(iReq);
    uint32_t nSent = 0;
    for (; nSent < qwSend; ++nSent) {
      // The buffer's free room belongs to the probes and settings first.
      if (bUnsentKnown && nSent > 0) socket.GetUnsentBytes(&ulUnsent);
      if (bUnsentKnown && ulUnsent >= kUnsentBudgetBytes) break;
      const int iResult = socket.SendToNoWait(iReq, sizeof iReq, {m_vecAddresses[m_nNext], wPort});
      // A full send buffer: this address waits for the next Pace rather than the caller for the buffer.
      if (iResult == platform::DatagramSocket::kSendWouldBlock) break;
      // Any other failure (no route to that one address) is not retried; the next round comes round.
      ++m_nNext;
      m_dwLastAccepted = dwNow;
    }
    if (nSent > 0) {
      m_dequeRecentSends.emplace_back(dwNow, nSent);
      m_nRecentSends += nSent;
    }
    if (m_nNext < m_vecAddresses.size()) return;
    if (bUnsentKnown) socket.GetUnsentBytes(&ulUnsent);
  }
  // Every datagram was accepted: the round ends once the socket has sent them.
  if (!bUnsentKnown || ulUnsent <= kDrainedBytes || static_cast<uint32_t>(dwNow - m_dwLastAccepted) >= kMaxDrainMs)
    Finish(dwNow);
}

void CKestoSweep::Finish(uint32_t dwNow) {
  m_bRunning = false;
  m_dwLastRoundMs = std::min(kMaxCountedRoundMs, static_cast<uint32_t>(dwNow - m_dwStart));
}

uint32_t CKestoSweep::DurationMs(size_t nAddresses, int iPerSecond) {
  const uint64_t qwRate = static_cast<uint64_t>(std::max(1, iPerSecond));
  return static_cast<uint32_t>((static_cast<uint64_t>(nAddresses) * 1000 + qwRate - 1) / qwRate);
}

uint32_t CKestoSweep::RealDurationMs(uint32_t dwNow) const {
  return std::min(kMaxCountedRoundMs, std::max(m_dwLastRoundMs, GetElapsedMs(dwNow)));
}

bool CKestoSweep::IsBehind(uint32_t dwNow, uint32_t dwSlackMs) const {
  return m_bRunning && GetElapsedMs(dwNow) > DurationMs(m_vecAddresses.size(), m_iPerSecond) + dwSlackMs;
}
