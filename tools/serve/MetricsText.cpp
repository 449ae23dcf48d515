#include "tools/serve/MetricsText.h"

#include <charconv>
#include <unordered_map>
#include <vector>

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
  const auto& devices = table.Devices();
  std::string sOut;
  // About 420 bytes a device: reserved at once, so a large table is not copied while it grows.
  sOut.reserve(1024 + devices.size() * 480);

  Family(sOut, format, "kesto_device_up", "gauge", "1 while the device answers, 0 once silent (kept until --forget-after).");
  for (const auto& [key, device] : devices) Sample(sOut, "kesto_device_up", device.MacLabels(), device.bUp ? "1" : "0");

  Family(sOut, format, "kesto_device_info", "gauge", "The settings the device last reported, as labels.");
  for (const auto& [key, device] : devices) Sample(sOut, "kesto_device_info", device.sInfoLabels, "1");

  Family(sOut, format, "kesto_device_first_seen_timestamp_seconds", "gauge", "When the device first answered.");
  for (const auto& [key, device] : devices)
    Sample(sOut, "kesto_device_first_seen_timestamp_seconds", device.MacLabels(), Seconds(device.llFirstSeenMs));

  Family(sOut, format, "kesto_device_last_seen_timestamp_seconds", "gauge", "When the device last answered.");
  for (const auto& [key, device] : devices)
    Sample(sOut, "kesto_device_last_seen_timestamp_seconds", device.MacLabels(), Seconds(device.llLastSeenMs));

  Family(sOut, format, "kesto_device_changes_total", "counter",
         "How often the device's reported settings changed (address, name, firmware, ...).");
  for (const auto& [key, device] : devices)
    Sample(sOut, "kesto_device_changes_total", device.MacLabels(), Number(device.qwChanges));

  // Counted over the devices up now: an address a silent device once had is not a clash.
  std::unordered_map<uint32_t, uint32_t> claimants;
  std::vector<uint32_t> order;
  size_t nUp = 0;
  for (const auto& [key, device] : devices) {
    if (!device.bUp) continue;
    ++nUp;
    if (claimants[device.record.dwIPAddress]++ == 0) order.push_back(device.record.dwIPAddress);
  }
  Family(sOut, format, "kesto_address_claimants", "gauge",
         "How many devices up now report this IP address (more than 1: a shared address).");
  for (uint32_t dwIP : order)
    Sample(sOut, "kesto_address_claimants", "ip=\"" + FormatAddress(dwIP) + "\"", Number(claimants[dwIP]));

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
