#include "tools/serve/MetricsText.h"

#include <charconv>
#include <utility>
#include <vector>

#include "platform/PageAdvice.h"

namespace {

void Family(std::string& sOut, MetricsFormat format, const char* pszName, const char* pszType, const char* pszHelp) {
  std::string_view name(pszName);
  // OpenMetrics names a counter's family without the _total its sample carries.
  if (format == MetricsFormat::kOpenMetrics && std::string_view(pszType) == "counter" && name.ends_with("_total"))
    name.remove_suffix(6);
  sOut.append("# HELP ").append(name).append(" ").append(pszHelp).append("\n");
  sOut.append("# TYPE ").append(name).append(" ").append(pszType).append("\n");
}

void Sample(std::string& sOut, const char* pszName, std::string_view sLabels, std::string_view value) {
  sOut.append(pszName);
  if (!sLabels.empty()) sOut.append("{").append(sLabels).append("}");
  sOut.append(" ").append(value).append("\n");
}

// Numbers are written straight into a small buffer: a scrape writes four per device.
struct Number {
  char sz[32];
  size_t n;
  explicit Number(uint64_t value) { n = static_cast<size_t>(std::to_chars(sz, sz + sizeof sz, value).ptr - sz); }
  operator std::string_view() const { return {sz, n}; }
};

// Milliseconds since the epoch as seconds with three decimals (times before 1970 show as 0).
struct Seconds {
  char sz[32];
  size_t n;
  explicit Seconds(int64_t llMs) {
    const uint64_t qwMs = llMs < 0 ? 0 : static_cast<uint64_t>(llMs);
    char* p = std::to_chars(sz, sz + 24, qwMs / 1000).ptr;
    const unsigned uPart = static_cast<unsigned>(qwMs % 1000);
    *p++ = '.';
    *p++ = static_cast<char>('0' + uPart / 100);
    *p++ = static_cast<char>('0' + uPart / 10 % 10);
    *p++ = static_cast<char>('0' + uPart % 10);
    n = static_cast<size_t>(p - sz);
  }
  operator std::string_view() const { return {sz, n}; }
};

// The most a device's lines take besides its info labels: five series with its MAC
// label (up, info, two times, changes) and its share of the address lines.
constexpr size_t kMaxDeviceBytes = 16 + 23 + 4 + 18 + 4 + 2 * (42 + 23 + 2 + 24 + 1) + (27 + 23 + 2 + 20 + 1) +
                                   (29 + 15 + 3 + 20 + 1);

// The devices up now per IP address, in the order the addresses first come: a flat
// open-addressed count, as a scrape makes one for every device.
class CClaims {
 public:
  explicit CClaims(size_t nMax) {
    size_t nBuckets = 8;
    m_nShift = 61;
    while (nBuckets < 2 * nMax) {
      nBuckets *= 2;
      --m_nShift;
    }
    m_buckets.assign(nBuckets, 0);
    m_claims.reserve(nMax);
  }
  void Add(uint32_t dwIP) {
    const size_t nMask = m_buckets.size() - 1;
    for (size_t b = static_cast<size_t>((dwIP * 0x9E3779B97F4A7C15ull) >> m_nShift);; b = (b + 1) & nMask) {
      if (m_buckets[b] == 0) {
        m_claims.emplace_back(dwIP, 1);
        m_buckets[b] = static_cast<uint32_t>(m_claims.size());
        return;
      }
      auto& claim = m_claims[m_buckets[b] - 1];
      if (claim.first == dwIP) {
        ++claim.second;
        return;
      }
    }
  }
  const std::vector<std::pair<uint32_t, uint32_t>>& InOrder() const { return m_claims; }

 private:
  unsigned m_nShift;                // 64 less the buckets' bits
  std::vector<uint32_t> m_buckets;  // index + 1 into m_claims, 0 empty
  std::vector<std::pair<uint32_t, uint32_t>> m_claims;
};

}  // namespace

MetricsFormat MetricsFormatFor(std::string_view sAccept) {
  return sAccept.find("application/openmetrics-text") != std::string_view::npos ? MetricsFormat::kOpenMetrics
                                                                                  : MetricsFormat::kText;
}

const char* MetricsContentType(MetricsFormat format) {
  return format == MetricsFormat::kOpenMetrics ? "application/openmetrics-text; version=1.0.0; charset=utf-8"
                                               : "text/plain; version=0.0.4; charset=utf-8";
}

std::string FleetMetricsText(const CFleetTable& table, const FleetCounters& counters, MetricsFormat format) {
  // Reserved at once for the longest each line can be, so a large table is not copied
  // while the text grows (pages the text does not reach are never touched).
  size_t nReserve = 4096;
  table.ForEach([&](const FleetDevice& device) { nReserve += device.sInfoLabels.size() + kMaxDeviceBytes; });
  std::string sOut;
  sOut.reserve(nReserve);
  // Megabytes written once and sent: large pages spare a fault per 4 KiB, which was
  // most of a scrape's cost.
  platform::AdviseLargePages(sOut.data(), nReserve);

  Family(sOut, format, "kesto_device_up", "gauge", "1 while the device answers, 0 once silent (kept until --forget-after).");
  table.ForEach([&](const FleetDevice& device) {
    Sample(sOut, "kesto_device_up", device.MacLabels(), device.bUp ? "1" : "0");
  });

  Family(sOut, format, "kesto_device_info", "gauge", "The settings the device last reported, as labels.");
  table.ForEach([&](const FleetDevice& device) { Sample(sOut, "kesto_device_info", device.sInfoLabels, "1"); });

  Family(sOut, format, "kesto_device_first_seen_timestamp_seconds", "gauge", "When the device first answered.");
  table.ForEach([&](const FleetDevice& device) {
    Sample(sOut, "kesto_device_first_seen_timestamp_seconds", device.MacLabels(), Seconds(device.llFirstSeenMs));
  });

  Family(sOut, format, "kesto_device_last_seen_timestamp_seconds", "gauge", "When the device last answered.");
  table.ForEach([&](const FleetDevice& device) {
    Sample(sOut, "kesto_device_last_seen_timestamp_seconds", device.MacLabels(), Seconds(device.llLastSeenMs));
  });

  Family(sOut, format, "kesto_device_changes_total", "counter",
         "How often the device's reported settings changed (address, name, firmware, ...).");
  table.ForEach([&](const FleetDevice& device) {
    Sample(sOut, "kesto_device_changes_total", device.MacLabels(), Number(device.qwChanges));
  });

  // Counted over the devices up now: an address a silent device once had is not a clash.
  CClaims claims(table.Size());
  size_t nUp = 0;
  table.ForEach([&](const FleetDevice& device) {
    if (!device.bUp) return;
    ++nUp;
    claims.Add(device.record.dwIPAddress);
  });
  Family(sOut, format, "kesto_address_claimants", "gauge",
         "How many devices up now report this IP address (more than 1: a shared address).");
  for (const auto& [dwIP, nDevices] : claims.InOrder())
    Sample(sOut, "kesto_address_claimants", "ip=\"" + FormatAddress(dwIP) + "\"", Number(nDevices));

  Family(sOut, format, "kesto_devices", "gauge", "Devices up now.");
  Sample(sOut, "kesto_devices", "", Number(nUp));
  Family(sOut, format, "kesto_answers_refused_total", "counter",
         "Answers not taken: from new devices beyond the list's cap, or not a device record.");
  Sample(sOut, "kesto_answers_refused_total", "", Number(counters.qwAnswersRefused));
  Family(sOut, format, "kesto_probes_sent_total", "counter", "Discovery rounds sent (broadcasts and sweep starts).");
  Sample(sOut, "kesto_probes_sent_total", "", Number(counters.qwProbesSent));
  Family(sOut, format, "kesto_build_info", "gauge", "The agent's version, as a label.");
  Sample(sOut, "kesto_build_info", "version=\"" + MetricLabelValue(counters.sVersion) + "\"", "1");
  if (format == MetricsFormat::kOpenMetrics) sOut += "# EOF\n";
  return sOut;
}
