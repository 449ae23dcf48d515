#include "tools/sim/DeviceSimulator.h"

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>

#include "discovery/KestoWire.h"
#include "formats/HexText.h"
#include "platform/SleepMs.h"

namespace {

// Large enough for any datagram a test throws at us; longer ones are logged by their true length.
constexpr size_t kReceiveCapacity = 2048;
// Answers go out in bursts with a breath in between, so a receiver with a
// small socket buffer keeps up with thousands of devices.
constexpr int kBurstSize = 128;
constexpr uint32_t kBurstPauseMs = 1;

constexpr size_t kJunkBytes = 1500;

// Junk that would pass for a device (MAC EE-EE-EE-EE-EE-EE) if its length were not checked.
void FillJunk(uint8_t (&byJunk)[kJunkBytes]) {
  std::memset(byJunk, 0, sizeof byJunk);
  KESTO_RECORD bogus;
  std::memset(bogus.byMAC, 0xEE, sizeof bogus.byMAC);
  SetRecordName(bogus, "junk");
  kesto_wire::EncodeRecord(bogus, byJunk);
}

std::string EndpointText(const platform::Ipv4Endpoint& endpoint) {
  return FormatAddress(endpoint.dwAddress) + ":" + std::to_string(endpoint.wPort);
}

}  // namespace

CDeviceSimulator::CDeviceSimulator(std::vector<KESTO_RECORD> devices, const SimulatorOptions& options,
                                 platform::DatagramSocket& socket, std::ostream& log)
    : m_devices(std::move(devices)),
      m_options(options),
      m_socket(socket),
      m_log(log),
      m_random(options.dwSeed),
      m_pTicks(options.pTicks ? options.pTicks : &platform::SystemTickSource()),
      m_budget(options.dwPerSourceRate, options.nMaxSources) {
  for (size_t i = 0; i < m_devices.size(); ++i) m_indexByMAC[MacKey(m_devices[i].byMAC)] = i;
}

void CDeviceSimulator::Run(const volatile std::sig_atomic_t* pbStop) {
  uint8_t byBuffer[kReceiveCapacity];
  while (!*pbStop) {
    if (!m_socket.WaitReadable(100)) continue;
    platform::Ipv4Endpoint from;
    const long lLength = m_socket.ReceiveFrom(byBuffer, sizeof byBuffer, &from);
    if (lLength < 0) continue;
    Handle(byBuffer, static_cast<size_t>(lLength), from);
  }
}

void CDeviceSimulator::Handle(const uint8_t* pData, size_t nLength, const platform::Ipv4Endpoint& from) {
  uint32_t dwCommand = 0;
  const bool bHasCommand = nLength <= kReceiveCapacity && kesto_wire::DecodeCommand(pData, nLength, &dwCommand);
  if (bHasCommand && dwCommand == KESTO_CMD_DISCOVER && nLength == kesto_wire::kDiscoverSize) {
    Answer(from);
  } else if (bHasCommand && dwCommand == KESTO_CMD_SET_CONFIG && nLength == kesto_wire::kSetConfigSize) {
    ApplySet(pData);
  } else {
    m_log << "junk from " << EndpointText(from) << " length " << nLength << std::endl;
  }
}

void CDeviceSimulator::Answer(const platform::Ipv4Endpoint& to) {
  const size_t nAllowed = m_budget.Take(to.dwAddress, m_devices.size(), m_pTicks->Now());
  size_t nSent = 0, nDropped = 0, nFailed = 0;
  if (nAllowed > 0 && m_options.bBurst) {
    SendBurst(nAllowed, to, &nSent, &nDropped, &nFailed);
  } else if (nAllowed > 0) {
    if (m_options.bJunk) {
      SendJunk(0, to);
      SendJunk(99, to);
    }
    std::bernoulli_distribution lose(m_options.dDrop);
    uint8_t byRecord[kesto_wire::kRecordSize];
    for (size_t i = 0; i < nAllowed; ++i) {
      if (m_options.dDrop > 0 && lose(m_random)) {
        ++nDropped;
        continue;
      }
      kesto_wire::EncodeRecord(m_devices[i], byRecord);
      if (m_socket.SendTo(byRecord, sizeof byRecord, to) < 0) ++nFailed;
      else ++nSent;
      if (m_options.bJunk && i == 0) {
        SendJunk(101, to);
        SendJunk(1500, to);
      }
      if ((nSent + nFailed) % kBurstSize == 0 && i + 1 < nAllowed) platform::SleepMs(kBurstPauseMs);
    }
  }
  m_log << "discover from " << EndpointText(to) << " answered " << nSent << " dropped " << nDropped;
  if (nFailed > 0) m_log << " failed " << nFailed;
  if (nAllowed < m_devices.size()) m_log << " limited " << m_devices.size() - nAllowed;
  m_log << std::endl;
}

void CDeviceSimulator::SendBurst(size_t nDevices, const platform::Ipv4Endpoint& to, size_t* pnSent,
                                size_t* pnDropped, size_t* pnFailed) {
  std::bernoulli_distribution lose(m_options.dDrop);
  m_byBurst.resize(nDevices * kesto_wire::kRecordSize);
  m_vecParts.clear();
  uint8_t byJunk[kJunkBytes];
  FillJunk(byJunk);
  // The junk goes where the paced answer puts it: two before the records, two after the first.
  if (m_options.bJunk) {
    m_vecParts.push_back({byJunk, 0});
    m_vecParts.push_back({byJunk, 99});
  }
  size_t nRecords = 0;
  for (size_t i = 0; i < nDevices; ++i) {
    if (m_options.dDrop > 0 && lose(m_random)) {
      ++*pnDropped;
      continue;
    }
    uint8_t* pRecord = m_byBurst.data() + i * kesto_wire::kRecordSize;
    kesto_wire::EncodeRecord(m_devices[i], pRecord);
    m_vecParts.push_back({pRecord, kesto_wire::kRecordSize});
    ++nRecords;
    if (m_options.bJunk && i == 0) {
      m_vecParts.push_back({byJunk, 101});
      m_vecParts.push_back({byJunk, 1500});
    }
  }
  const size_t nWent = m_socket.SendBatchTo(m_vecParts.data(), m_vecParts.size(), to);
  // Junk is not an answer; count every miss against the records, the worse case.
  const size_t nMissed = m_vecParts.size() - nWent;
  *pnFailed = std::min(nMissed, nRecords);
  *pnSent = nRecords - *pnFailed;
}

void CDeviceSimulator::ApplySet(const uint8_t* pData) {
  const uint8_t* pRecord = pData + 4;
  const std::string sMAC = FormatMAC(pRecord + kesto_wire::kOffMAC);
  const std::string sHex = HexBytes(pData, kesto_wire::kSetConfigSize);
  auto found = m_indexByMAC.find(MacKey(pRecord + kesto_wire::kOffMAC));
  if (found == m_indexByMAC.end()) {
    m_log << "set " << sMAC << " unknown " << sHex << std::endl;
  } else if (m_options.bIgnoreSet) {
    m_log << "set " << sMAC << " ignored " << sHex << std::endl;
  } else {
    // A device takes all 100 bytes as they come.
    m_devices[found->second] = kesto_wire::DecodeRecord(pRecord);
    m_log << "set " << sMAC << " applied " << sHex << std::endl;
  }
}

void CDeviceSimulator::SendJunk(size_t nLength, const platform::Ipv4Endpoint& to) {
  uint8_t byJunk[kJunkBytes];
  FillJunk(byJunk);
  m_socket.SendTo(byJunk, nLength, to);
}
