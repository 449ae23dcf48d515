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

struct SimulatorOptions {
  bool bJunk = false;       // also send 0, 99, 101 and 1500-byte datagrams with every answer
  double dDrop = 0.0;       // fraction of answers lost
  bool bIgnoreSet = false;  // log set-configuration datagrams but do not apply them
  uint32_t dwSeed = 1;      // for the losses
};

// Plays any number of devices behind one socket: answers every discovery
// request with all their records, sent back to the request's source, and
// applies a set-configuration datagram to the device whose MAC it names.
// Writes one line per datagram it got to the log.
class DeviceSimulator {
 public:
  DeviceSimulator(std::vector<KESTO_RECORD> devices, const SimulatorOptions& options, platform::DatagramSocket& socket,
                  std::ostream& log);

  // Serves until *pbStop is set.
  void Run(const volatile std::sig_atomic_t* pbStop);
  // Handles one received datagram.
  void Handle(const uint8_t* pData, size_t nLength, const platform::Ipv4Endpoint& from);

  const std::vector<KESTO_RECORD>& Devices() const { return m_devices; }

 private:
  void Answer(const platform::Ipv4Endpoint& to);
  void ApplySet(const uint8_t* pData);
  void SendJunk(size_t nLength, const platform::Ipv4Endpoint& to);

  std::vector<KESTO_RECORD> m_devices;
  std::unordered_map<uint64_t, size_t> m_indexByMAC;
  SimulatorOptions m_options;
  platform::DatagramSocket& m_socket;
  std::ostream& m_log;
  std::mt19937 m_random;
};

#endif
