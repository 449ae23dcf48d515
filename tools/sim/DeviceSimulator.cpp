#include "tools/sim/DeviceSimulator.h"

#include <cstring>
#include <ostream>
#include <string>

#include "discovery/KestoWire.h"
#include "platform/SleepMs.h"

namespace {

// Large enough for any datagram a test throws at us; longer ones are logged by their true length.
constexpr size_t kReceiveCapacity = 2048;
// Answers go out in bursts with a breath in between, so a receiver with a
// small socket buffer keeps up with thousands of devices.
constexpr int kBurstSize = 128;
constexpr uint32_t kBurstPauseMs = 1;

std::string HexText(const uint8_t* pData, size_t nLength) {
  static const char kDigits[] = "0123456789abcdef";
  std::string sText;
  sText.reserve(nLength * 2);
  for (size_t i = 0; i < nLength; ++i) {
    sText += kDigits[pData[i] >> 4];
    sText += kDigits[pData[i] & 15];
  }
  return sText;
}

std::string EndpointText(const platform::Ipv4Endpoint& endpoint) {
  return FormatAddress(endpoint.dwAddress) + ":" + std::to_string(endpoint.wPort);
}

}  // namespace

DeviceSimulator::DeviceSimulator(std::vector<KESTO_RECORD> devices, const SimulatorOptions& options,
                                 platform::DatagramSocket& socket, std::ostream& log)
    : m_devices(std::move(devices)), m_options(options), m_socket(socket), m_log(log), m_random(options.dwSeed) {
  for (size_t i = 0; i < m_devices.size(); ++i) m_indexByMAC[MacKey(m_devices[i].byMAC)] = i;
}

void DeviceSimulator::Run(const volatile std::sig_atomic_t* pbStop) {
  uint8_t byBuffer[kReceiveCapacity];
  while (!*pbStop) {
    if (!m_socket.WaitReadable(100)) continue;
    platform::Ipv4Endpoint from;
    const long lLength = m_socket.ReceiveFrom(byBuffer, sizeof byBuffer, &from);
    if (lLength < 0) continue;
    Handle(byBuffer, static_cast<size_t>(lLength), from);
  }
}

void DeviceSimulator::Handle(const uint8_t* pData, size_t nLength, const platform::Ipv4Endpoint& from) {
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

void DeviceSimulator::Answer(const platform::Ipv4Endpoint& to) {
  if (m_options.bJunk) {
    SendJunk(0, to);
    SendJunk(99, to);
  }
  std::bernoulli_distribution lose(m_options.dDrop);
  size_t nSent = 0, nDropped = 0, nFailed = 0;
  uint8_t byRecord[kesto_wire::kRecordSize];
  for (size_t i = 0; i < m_devices.size(); ++i) {
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
    if ((nSent + nFailed) % kBurstSize == 0 && i + 1 < m_devices.size()) platform::SleepMs(kBurstPauseMs);
  }
  m_log << "discover from " << EndpointText(to) << " answered " << nSent << " dropped " << nDropped;
  if (nFailed > 0) m_log << " failed " << nFailed;
  m_log << std::endl;
}

void DeviceSimulator::ApplySet(const uint8_t* pData) {
  const uint8_t* pRecord = pData + 4;
  const std::string sMAC = FormatMAC(pRecord + kesto_wire::kOffMAC);
  const std::string sHex = HexText(pData, kesto_wire::kSetConfigSize);
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

void DeviceSimulator::SendJunk(size_t nLength, const platform::Ipv4Endpoint& to) {
  // Junk that would pass for a device (MAC EE-EE-EE-EE-EE-EE) if its length were not checked.
  uint8_t byJunk[1500] = {};
  KESTO_RECORD bogus;
  std::memset(bogus.byMAC, 0xEE, sizeof bogus.byMAC);
  SetRecordName(bogus, "junk");
  kesto_wire::EncodeRecord(bogus, byJunk);
  m_socket.SendTo(byJunk, nLength, to);
}
