#ifndef KESTO_TOOLS_SIM_DEVICESIMULATOR_H
#define KESTO_TOOLS_SIM_DEVICESIMULATOR_H

#include <csignal>
#include <cstdint>
#include <iosfwd>
#include <random>
#include <unordered_map>
#include <vector>

#include "discovery/KestoRecord.h"
#include "platform/DatagramSocket.h"
#include "platform/TickCount.h"
#include "tools/sim/SourceBudget.h"

struct SimulatorOptions {
  bool bJunk = false;       // also send 0, 99, 101 and 1500-byte datagrams with every answer
  double dDrop = 0.0;       // fraction of answers lost
  bool bIgnoreSet = false;  // log set-configuration datagrams but do not apply them
  uint32_t dwSeed = 1;      // for the losses
  // All answers to one request back to back, as a crowd of real devices sends them;
  // otherwise in runs of 128 with a 1 ms pause between.
  bool bBurst = false;
  // The most records sent to any one source address a second; 0: no bound.
  uint32_t dwPerSourceRate = kDefaultPerSourceRate;
  // Sources tracked for that bound at once; a request from one more gets no answer.
  size_t nMaxSources = 256;
  // The clock for that bound; null means the system's tick count.
  platform::TickSource* pTicks = nullptr;

  static constexpr uint32_t kDefaultPerSourceRate = 1000;
};

// Plays any number of devices behind one socket: answers every discovery
// request with their records, sent back to the request's source (as many as that
// source's budget allows), and
// applies a set-configuration datagram to the device whose MAC it names.
// Writes one line per datagram it got to the log.
class CDeviceSimulator {
 public:
  CDeviceSimulator(std::vector<KESTO_RECORD> devices, const SimulatorOptions& options, platform::DatagramSocket& socket,
                  std::ostream& log);

  // Serves until *pbStop is set.
  void Run(const volatile std::sig_atomic_t* pbStop);
  // Handles one received datagram.
  void Handle(const uint8_t* pData, size_t nLength, const platform::Ipv4Endpoint& from);

  const std::vector<KESTO_RECORD>& Devices() const { return m_devices; }
  const CSourceBudget& Budget() const { return m_budget; }

 private:
  void Answer(const platform::Ipv4Endpoint& to);
  void ApplySet(const uint8_t* pData);
  void SendJunk(size_t nLength, const platform::Ipv4Endpoint& to);
  // The records of devices [0, nDevices) not lost, back to back; the count sent and failed.
  void SendBurst(size_t nDevices, const platform::Ipv4Endpoint& to, size_t* pnSent, size_t* pnDropped,
                 size_t* pnFailed);

  std::vector<KESTO_RECORD> m_devices;
  std::unordered_map<uint64_t, size_t> m_indexByMAC;
  SimulatorOptions m_options;
  platform::DatagramSocket& m_socket;
  std::ostream& m_log;
  std::mt19937 m_random;
  platform::TickSource* m_pTicks;
  CSourceBudget m_budget;
  std::vector<uint8_t> m_byBurst;
  std::vector<platform::DatagramSocket::Part> m_vecParts;
};

#endif
