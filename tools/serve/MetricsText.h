#ifndef KESTO_TOOLS_SERVE_METRICSTEXT_H
#define KESTO_TOOLS_SERVE_METRICSTEXT_H

#include <cstdint>
#include <string>
#include <string_view>

#include "tools/serve/FleetTable.h"

// The agent's own counts shown beside the devices.
struct FleetCounters {
  uint64_t qwAnswersRefused = 0;
  uint64_t qwProbesSent = 0;
  std::string sVersion;
};

enum class MetricsFormat { kText, kOpenMetrics };

// The Prometheus text format (0.0.4), or OpenMetrics 1.0 when the scraper's Accept header asks for it.
MetricsFormat MetricsFormatFor(std::string_view sAccept);
const char* MetricsContentType(MetricsFormat format);

// Every kesto_* series of the table: per device up, info, first and last seen and
// changes; per address of a device up now the number claiming it; then the totals.
std::string FleetMetricsText(const CFleetTable& table, const FleetCounters& counters, MetricsFormat format);

#endif
