#ifndef KESTO_TOOLS_SERVE_FLEETTABLE_H
#define KESTO_TOOLS_SERVE_FLEETTABLE_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "discovery/KestoRecord.h"
#include "platform/Ipv4Endpoint.h"

// One device the agent knows of, with wall-clock times in ms since the epoch.
// The label texts of its series are made once per record, so a scrape only joins them.
struct FleetDevice {
  KESTO_RECORD record;
  int64_t llFirstSeenMs = 0;
  int64_t llLastSeenMs = 0;
  uint64_t qwChanges = 0;
  bool bUp = false;
  std::vector<platform::Ipv4Endpoint> vecSenders;  // where its answers came from, as the finder keeps them
  uint64_t qwRefusedSenders = 0;                   // answers from further addresses
  std::string sInfoLabels;  // mac="...",ip="...",... for kesto_device_info

  // mac="..." alone: the info labels begin with it, so it takes no room of its own.
  std::string_view MacLabels() const { return std::string_view(sInfoLabels).substr(0, kMacLabelsSize); }
  static constexpr size_t kMacLabelsSize = 23;  // mac="00-1A-2B-3C-4D-5E"
};

// The devices `kesto serve` reports: every one seen within --forget-after, up
// while it keeps answering and down (still listed) once silent, so alerts can fire.
// Held to nMaxDevices; a new device beyond that is refused and counted. Time is
// passed in, so the table is tested without a clock.
class CFleetTable {
 public:
  CFleetTable(size_t nMaxDevices, int64_t llForgetAfterMs) : m_nMaxDevices(nMaxDevices), m_llForgetAfterMs(llForgetAfterMs) {}

  // The device answered with this record at llSeenMs; a record differing from the
  // one kept counts a change. Null when it is new and the table is full.
  FleetDevice* Seen(const KESTO_RECORD& record, int64_t llSeenMs);
  // Takes a device as known from a saved state (down until it answers); false when full
  // or already known.
  bool Restore(const KESTO_RECORD& record, int64_t llFirstSeenMs, int64_t llLastSeenMs, uint64_t qwChanges);
  // At llNowMs: up is "seen within llDownAfterMs"; devices silent beyond --forget-after go.
  void Age(int64_t llNowMs, int64_t llDownAfterMs);

  const std::map<uint64_t, FleetDevice>& Devices() const { return m_devices; }
  size_t UpCount() const;
  uint64_t Refused() const { return m_nRefused; }
  size_t MaxDevices() const { return m_nMaxDevices; }

 private:
  FleetDevice* Add(const KESTO_RECORD& record);

  // Ordered by MAC, so every scrape lists the series in the same order.
  std::map<uint64_t, FleetDevice> m_devices;
  size_t m_nMaxDevices;
  int64_t m_llForgetAfterMs;
  uint64_t m_nRefused = 0;
};

// A label value of the text formats: the bytes taken as Latin-1, written as UTF-8,
// with backslash, double quote and line feed escaped as the formats require.
std::string MetricLabelValue(std::string_view bytes);

#endif
