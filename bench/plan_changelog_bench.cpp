// One device's change logged as a send is: its send line and its outcome line,
// each flushed to the disk before the caller goes on. A plan for N devices pays
// this N times, so it bounds how fast a logged bulk apply can go.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "plan/ChangeLog.h"
#include "plan/ChangeLogEntry.h"
#include "support/RecordBuilder.h"

namespace {

void BM_LoggedChange(benchmark::State& state) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("kesto-changelog-bench-" + std::to_string(::getpid()));
  std::filesystem::remove_all(folder);
  CChangeLog::Process().Open((folder / "changes.jsonl").string(), "bench", {});
  uint32_t dwDevice = 0;
  for (auto _ : state) {
    const KESTO_RECORD old = MakeRecord(++dwDevice, "Lobby");
    CChangeLogEntry::Begin(old, MakeRecord(dwDevice, "Cellar")).Finish(ChangeOutcome::kConfirmed);
  }
  state.counters["failures"] = static_cast<double>(CChangeLog::Process().FailureCount());
  CChangeLog::Process().Close();
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_LoggedChange)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
