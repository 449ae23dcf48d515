// CKestoAddressCheck: one Rebuild over the finder's entries, then the duplicate
// test for every entry, as a list view would do once per pass.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "COMMON/ZNObList.h"
#include "discovery/KestoAddressCheck.h"
#include "discovery/KestoInfo.h"
#include "support/RecordBuilder.h"

namespace {

struct Entries {
  explicit Entries(int nEntries) {
    for (int i = 0; i < nEntries; ++i) {
      KESTO_RECORD record = MakeRecord(static_cast<uint32_t>(i));
      // One device in a hundred shares its address with the one before it.
      if (i % 100 == 99) record.dwIPAddress = 0x0A000000u | static_cast<uint32_t>(i - 1);
      owned.push_back(std::make_unique<CKestoInfo>(record, 0));
      list.AddTail(owned.back().get());
    }
  }
  ~Entries() { list.RemoveAll(); }

  std::vector<std::unique_ptr<CKestoInfo>> owned;
  CZNObList list;
};

void BM_AddressCheckRebuild(benchmark::State& state) {
  Entries entries(static_cast<int>(state.range(0)));
  CKestoAddressCheck check;
  for (auto _ : state) {
    check.Rebuild(entries.list);
    benchmark::DoNotOptimize(check.GetSharedIPs().size());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AddressCheckRebuild)->Arg(1000)->Arg(10000);

void BM_AddressCheckRebuildAndMark(benchmark::State& state) {
  Entries entries(static_cast<int>(state.range(0)));
  CKestoAddressCheck check;
  for (auto _ : state) {
    check.Rebuild(entries.list);
    int nDuplicates = 0;
    for (const auto& pInfo : entries.owned) nDuplicates += check.IsDuplicateIP(pInfo->GetRecord()) ? 1 : 0;
    benchmark::DoNotOptimize(nDuplicates);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AddressCheckRebuildAndMark)->Arg(1000)->Arg(10000);

}  // namespace

BENCHMARK_MAIN();
