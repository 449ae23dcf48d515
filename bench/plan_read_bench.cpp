// ReadPlan on the largest texts a plan may be (16 MiB): each must be read or
// refused within a second, the checks staying linear in the text.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "plan/DevicePlan.h"
#include "plan/PlanReader.h"

namespace {

std::string Mac(size_t i) {
  char szMac[24];
  std::snprintf(szMac, sizeof szMac, "02-00-00-%02X-%02X-%02X", static_cast<unsigned>(i >> 16 & 255),
                static_cast<unsigned>(i >> 8 & 255), static_cast<unsigned>(i & 255));
  return szMac;
}

// Repeats sUnit (its %zu the count so far) until the text would pass nBytes, then closes it.
template <typename Unit>
std::string Filled(std::string sText, size_t nBytes, Unit unit, const std::string& sEnd) {
  for (size_t i = 0;; ++i) {
    std::string sNext = unit(i);
    if (sText.size() + sNext.size() + sEnd.size() > nBytes) break;
    sText += sNext;
  }
  return sText + sEnd;
}

std::string PlanText(int iKind) {
  const size_t nMax = kMaxPlanBytes;
  switch (iKind) {
    case 0:  // 200,000 unknown columns in the header (1.5 MB)
      return Filled("mac", 1'500'000, [](size_t i) { return ",c" + std::to_string(i); }, "\n");
    case 1:  // a 16 MiB header repeating one column
      return Filled("mac", nMax, [](size_t) { return std::string(",name"); }, "\n");
    case 2:  // the list's CSV, 65,535 devices
      return Filled("name,mac,ip,netmask,gateway,dns,port,version,type,type_name,protocol,baud,duplicate_ip\r\n", nMax,
                    [](size_t i) {
                      return i < kMaxPlanRows ? "'=Lobby," + Mac(i) +
                                                    ",10.0.0.5,255.255.255.0,10.0.0.1,10.0.0.2,10000,KST-1,3,Slave,"
                                                    "RS232,115200,false\r\n"
                                              : std::string(nMax, ' ');
                    },
                    "");
    case 3:  // one JSON object of 16 MiB of distinct keys
      return Filled(R"([{"mac":"02-00-00-00-00-01")", nMax,
                    [](size_t i) { return ",\"k" + std::to_string(i) + "\":1"; }, "}]");
    case 4:  // one JSON object repeating a key
      return Filled(R"([{"mac":"02-00-00-00-00-01")", nMax, [](size_t) { return std::string(R"(,"name":"x")"); },
                    "}]");
    default:  // the list's JSON, 65,535 devices
      return Filled("[", nMax - 2,
                    [](size_t i) {
                      return i >= kMaxPlanRows ? std::string(nMax, ' ')
                                               : std::string(i == 0 ? "" : ",") + R"({"name":"Lobby","mac":")" +
                                                     Mac(i) +
                                                     R"(","ip":"10.0.0.5","port":10000,"type":3,"baud":115200,)"
                                                     R"("senders":["10.0.0.5:1444"]})";
                    },
                    "]");
  }
}

void BM_ReadPlan(benchmark::State& state) {
  const std::string sText = PlanText(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    DevicePlan plan;
    std::vector<std::string> errors;
    benchmark::DoNotOptimize(ReadPlan(sText, &plan, &errors));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sText.size()));
}
BENCHMARK(BM_ReadPlan)
    ->ArgName("kind")  // 0 wide header, 1 repeated column, 2 list CSV, 3 many JSON keys, 4 repeated key, 5 list JSON
    ->DenseRange(0, 5)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
