// Cost of the time-zone query (tz database and applied rule) and of the address text parsing.
#include <benchmark/benchmark.h>

#include <string>

#include "COMMON/ZNAddressText.h"
#include "platform/TimeZone.h"
#include "tests/support/ScopedTz.h"

namespace {

void BM_QueryZoneFromDatabase(benchmark::State& state) {
  ScopedTz scoped("Australia/Sydney");
  platform::TimeZoneInformation info;
  for (auto _ : state) benchmark::DoNotOptimize(platform::SystemTimeZone().Query(&info));
}
BENCHMARK(BM_QueryZoneFromDatabase);

void BM_QueryAppliedRule(benchmark::State& state) {
  ScopedTz scoped("Australia/Sydney");
  platform::TimeZoneInformation info;
  platform::SystemTimeZone().Query(&info);
  info.stDaylightDate.wMonth = 3;
  info.stDaylightDate.wDay = 2;
  info.stStandardDate.wMonth = 11;
  info.stStandardDate.wDay = 1;
  platform::SystemTimeZone().Apply(info);
  for (auto _ : state) benchmark::DoNotOptimize(platform::SystemTimeZone().Query(&info));
}
BENCHMARK(BM_QueryAppliedRule);

void BM_ParseAddressText(benchmark::State& state) {
  const std::string sLine = "HTTP/1.0 200 OK\r\nIP=192.168.100.254:8080\r\n";
  std::string sText;
  uint8_t by[4];
  int32_t iPort = 0;
  for (auto _ : state) {
    sText = sLine;
    benchmark::DoNotOptimize(ParseAddressText(sText, "IP=", &by[0], &by[1], &by[2], &by[3], &iPort));
  }
}
BENCHMARK(BM_ParseAddressText);

}  // namespace

BENCHMARK_MAIN();
