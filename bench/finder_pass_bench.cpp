// One polling pass of the finder (Poll, a walk over the entries, RemoveAged)
// against a fake socket, with and without an answer waiting.
#include <benchmark/benchmark.h>

#include <memory>

#include "discovery/KestoFinder.h"
#include "discovery/KestoWire.h"
#include "support/FakeClock.h"
#include "support/FakeDatagramSocket.h"
#include "support/RecordBuilder.h"

namespace {

struct Fixture {
  explicit Fixture(int nEntries) {
    KestoFinderOptions options;
    options.pTicks = &clock;
    auto socket = std::make_unique<FakeDatagramSocket>();
    pSocket = socket.get();
    finder = std::make_unique<CKestoFinder>(options, std::move(socket));
    for (int i = 0; i < nEntries; ++i) finder->AddDevice(MakeRecord(static_cast<uint32_t>(i)));
  }

  // What a window's pass does besides Poll: look at every entry's flags and age.
  int Walk(uint32_t dwNow) {
    int nAged = 0;
    finder->VisitDevices([&](CKestoInfo& entry) {
      if (!entry.bListed) entry.bListed = 1;
      nAged += entry.IsAged(dwNow) ? 1 : 0;
    });
    return nAged;
  }

  FakeClock clock;
  FakeDatagramSocket* pSocket;
  std::unique_ptr<CKestoFinder> finder;
};

void BM_PollingPass(benchmark::State& state) {
  const int nEntries = static_cast<int>(state.range(0));
  const bool bAnswer = state.range(1) != 0;
  Fixture fixture(nEntries);
  const auto answer = RecordBytes(MakeRecord(static_cast<uint32_t>(nEntries / 2)));
  for (auto _ : state) {
    if (bAnswer) fixture.pSocket->Queue(answer);
    fixture.finder->Poll();
    const uint32_t dwNow = fixture.finder->Now();
    benchmark::DoNotOptimize(fixture.Walk(dwNow));
    fixture.finder->RemoveAged(dwNow);
  }
  state.SetLabel(bAnswer ? "answer" : "idle");
}
BENCHMARK(BM_PollingPass)->ArgsProduct({{10, 100, 1000, 10000}, {0, 1}});

void BM_AnswerToNewEntry(benchmark::State& state) {
  const int nBatch = 10000;
  std::vector<std::vector<uint8_t>> answers;
  for (int i = 0; i < nBatch; ++i) answers.push_back(RecordBytes(MakeRecord(static_cast<uint32_t>(i))));
  for (auto _ : state) {
    state.PauseTiming();
    Fixture fixture(0);
    for (auto& a : answers) fixture.pSocket->Queue(a);
    state.ResumeTiming();
    for (int i = 0; i < nBatch; ++i) fixture.finder->Receive();
  }
  state.SetItemsProcessed(state.iterations() * nBatch);
}
BENCHMARK(BM_AnswerToNewEntry)->Unit(benchmark::kMillisecond);

void BM_RecordDecodeEncode(benchmark::State& state) {
  uint8_t bytes[100];
  kesto_wire::EncodeRecord(MakeRecord(42, "bench"), bytes);
  for (auto _ : state) {
    KESTO_RECORD record = kesto_wire::DecodeRecord(bytes);
    benchmark::DoNotOptimize(record);
    kesto_wire::EncodeRecord(record, bytes);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_RecordDecodeEncode);

}  // namespace

BENCHMARK_MAIN();
