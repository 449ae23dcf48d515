// What `kesto serve` spends on a table of 16,384 devices: one scrape of
// /metrics in either format, and one round of following the finder (every
// device seen again, then aged; the agent takes only those that answered, twice a second).
#include <benchmark/benchmark.h>

#include <malloc.h>

#include "support/RecordBuilder.h"
#include "tools/serve/FleetTable.h"
#include "tools/serve/MetricsText.h"

namespace {

constexpr int64_t kT0 = 1'700'000'000'000;

KESTO_RECORD Numbered(size_t i) {
  KESTO_RECORD record = MakeRecord(static_cast<uint32_t>(i), "Device " + std::to_string(i));
  return record;
}

CFleetTable NumberedTable(size_t nDevices) {
  CFleetTable table(nDevices, 24 * 3600 * 1000);
  for (size_t i = 0; i < nDevices; ++i) table.Seen(Numbered(i), kT0);
  return table;
}

void BM_Scrape(benchmark::State& state, MetricsFormat format) {
  const CFleetTable table = NumberedTable(static_cast<size_t>(state.range(0)));
  const FleetCounters counters{0, 100, "0.1.0"};
  size_t nBytes = 0;
  for (auto _ : state) {
    const std::string sText = FleetMetricsText(table, counters, format);
    nBytes = sText.size();
    benchmark::DoNotOptimize(sText.data());
  }
  state.counters["bytes"] = static_cast<double>(nBytes);
}
BENCHMARK_CAPTURE(BM_Scrape, text, MetricsFormat::kText)->Arg(16384)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Scrape, openmetrics, MetricsFormat::kOpenMetrics)->Arg(16384)->Unit(benchmark::kMillisecond);

void BM_FollowRound(benchmark::State& state) {
  const size_t nDevices = static_cast<size_t>(state.range(0));
  CFleetTable table = NumberedTable(nDevices);
  std::vector<KESTO_RECORD> records;
  for (size_t i = 0; i < nDevices; ++i) records.push_back(Numbered(i));
  int64_t llNow = kT0;
  for (auto _ : state) {
    llNow += 250;
    for (const KESTO_RECORD& record : records) table.Seen(record, llNow);
    table.Age(llNow, 2500);
  }
}
BENCHMARK(BM_FollowRound)->Arg(16384)->Unit(benchmark::kMillisecond);

// The heap a full table takes, per device (not timed).
void BM_TableBytesPerDevice(benchmark::State& state) {
  const size_t nDevices = static_cast<size_t>(state.range(0));
  for (auto _ : state) {
    const size_t nBefore = mallinfo2().uordblks;
    const CFleetTable table = NumberedTable(nDevices);
    const size_t nAfter = mallinfo2().uordblks;
    state.counters["bytes_per_device"] = static_cast<double>(nAfter - nBefore) / static_cast<double>(nDevices);
    benchmark::DoNotOptimize(table.Size());
  }
}
BENCHMARK(BM_TableBytesPerDevice)->Arg(16384)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
