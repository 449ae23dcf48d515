#ifndef KESTO_TOOLS_SERVE_FLEETTABLE_H
#define KESTO_TOOLS_SERVE_FLEETTABLE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
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
  // The first address its answers came from, as the finder keeps them; nearly every
  // device has only this one, so further ones are kept by the table (Senders).
  platform::Ipv4Endpoint firstSender;
  bool bHasSender = false;
  bool bUp = false;
  std::string sInfoLabels;  // mac="...",ip="...",... for kesto_device_info, allocated to its length

  uint64_t Key() const { return MacKey(record.byMAC); }
  // mac="..." alone: the info labels begin with it, so it takes no room of its own.
  std::string_view MacLabels() const { return std::string_view(sInfoLabels).substr(0, kMacLabelsSize); }
  static constexpr size_t kMacLabelsSize = 23;  // mac="00-1A-2B-3C-4D-5E"
};

// The devices `kesto serve` reports: every one seen within --forget-after, up
// while it keeps answering and down (still listed) once silent, so alerts can fire.
// Held to nMaxDevices; a new device beyond that is refused and counted. Time is
// passed in, so the table is tested without a clock.
//
// The devices sit in one array with an open-addressed index by MAC beside it and
// their MAC order kept apart, so a full table costs little beyond the devices
// themselves and following the finder touches only the devices that answered.
class CFleetTable {
 public:
  CFleetTable(size_t nMaxDevices, int64_t llForgetAfterMs);

  // The device answered with this record at llSeenMs; a record differing from the
  // one kept counts a change. Null when it is new and the table is full.
  FleetDevice* Seen(const KESTO_RECORD& record, int64_t llSeenMs);
  // Takes a device as known from a saved state (down until it answers); false when full
  // or already known.
  bool Restore(const KESTO_RECORD& record, int64_t llFirstSeenMs, int64_t llLastSeenMs, uint64_t qwChanges);
  // At llNowMs: up is "seen within llDownAfterMs"; devices silent beyond --forget-after go.
  void Age(int64_t llNowMs, int64_t llDownAfterMs);

  // The addresses the device's answers came from, first heard first, and how many
  // further ones were refused, as the finder reported them last.
  void SetSenders(FleetDevice* pDevice, const std::vector<platform::Ipv4Endpoint>& senders, uint64_t qwRefused);
  std::vector<platform::Ipv4Endpoint> Senders(const FleetDevice& device) const;
  uint64_t RefusedSenders(const FleetDevice& device) const;

  // Calls visit(const FleetDevice&) for every device in MAC order, so every scrape
  // lists the series in the same order.
  template <typename Visit>
  void ForEach(Visit visit) const {
    for (uint32_t nSlot : m_order) visit(m_devices[nSlot]);
  }
  const FleetDevice* Find(uint64_t qwMacKey) const;
  size_t Size() const { return m_devices.size(); }
  size_t UpCount() const;
  uint64_t Refused() const { return m_nRefused; }
  size_t MaxDevices() const { return m_nMaxDevices; }

 private:
  static constexpr uint32_t kNoSlot = 0xFFFFFFFFu;
  FleetDevice* Add(const KESTO_RECORD& record);
  size_t Bucket(uint64_t qwKey) const;
  // The device's slot in m_devices, or kNoSlot.
  uint32_t SlotOf(uint64_t qwKey) const;
  void Index(uint32_t nSlot);
  // After devices were dropped from m_devices: the index and the order made anew.
  void Reindex();

  // Senders beyond the first, and refused ones, of the few devices that have any.
  struct MoreSenders {
    std::vector<platform::Ipv4Endpoint> vecSenders;
    uint64_t qwRefused = 0;
  };

  std::vector<FleetDevice> m_devices;  // in order of arrival; room for the cap is taken at the first
  std::vector<uint32_t> m_index;       // slot + 1 by MAC hash, 0 empty; at least twice the cap, a power of two
  unsigned m_nIndexShift = 0;          // 64 less the index's bits
  std::vector<uint32_t> m_order;       // slots by MAC
  std::unordered_map<uint64_t, MoreSenders> m_moreSenders;
  size_t m_nMaxDevices;
  int64_t m_llForgetAfterMs;
  uint64_t m_nRefused = 0;
};

// A label value of the text formats: the bytes taken as Latin-1, written as UTF-8,
// with backslash, double quote and line feed escaped as the formats require.
std::string MetricLabelValue(std::string_view bytes);

#endif
