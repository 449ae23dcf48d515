// Cost of the date-and-time value's conversions and of the platform clock calls.
#include <benchmark/benchmark.h>

#include "COMMON/ZNTime.h"
#include "platform/DaylightSaving.h"
#include "platform/FileTime.h"
#include "platform/LocalTime.h"

namespace {

CZNTime Sample() {
  CZNTime t;
  t.Set(2013, 3, 5, 15, 14, 5, 9, 250);
  return t;
}

void BM_FieldsToCount(benchmark::State& state) {
  const platform::SystemTime st = Sample().GetAsSystemTime();
  uint64_t ft = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(platform::SystemTimeToFileTime(st, &ft));
    benchmark::DoNotOptimize(ft);
  }
}
BENCHMARK(BM_FieldsToCount);

void BM_AddSeconds(benchmark::State& state) {
  CZNTime t = Sample();
  for (auto _ : state) {
    t.AddSeconds(1);
    benchmark::DoNotOptimize(t);
  }
}
BENCHMARK(BM_AddSeconds);

void BM_CompareAndSubtract(benchmark::State& state) {
  CZNTime a = Sample();
  CZNTime b = Sample();
  b.AddHours(1);
  for (auto _ : state) {
    benchmark::DoNotOptimize(a < b);
    benchmark::DoNotOptimize(a - b);
  }
}
BENCHMARK(BM_CompareAndSubtract);

void BM_LocalTime(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(platform::GetLocalTime());
}
BENCHMARK(BM_LocalTime);

void BM_TimeZoneId(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(platform::GetCurrentTimeZoneId());
}
BENCHMARK(BM_TimeZoneId);

}  // namespace

BENCHMARK_MAIN();
