// Time from an answer leaving a device to its entry existing, over loopback: a
// sender thread sends answers from new MACs at uneven moments while the main
// thread runs the command line's loop shape (Poll, take what waits, idle in
// WaitForAnswer). Reports the median and the 99th percentile.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "discovery/KestoFinder.h"
#include "platform/UdpSocket.h"
#include "support/LoopbackSocket.h"
#include "support/RecordBuilder.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kAnswers = 2000;

std::unique_ptr<platform::DatagramSocket> OpenLoopback() { return OpenLoopbackSocket(1 << 20); }

void BM_AnswerToEntryLatency(benchmark::State& state) {
  for (auto _ : state) {
    auto receiver = OpenLoopback();
    platform::Ipv4Endpoint local;
    receiver->GetLocalEndpoint(&local);
    KestoFinderOptions options;
    options.endpTarget = {platform::kLoopback, 9};  // the probes go nowhere that listens
    options.nMaxEntries = kAnswers + 1;
    CKestoFinder finder(options, std::move(receiver));

    std::vector<std::atomic<int64_t>> sentAt(kAnswers);
    std::atomic<bool> bDone{false};
    std::thread sender([&] {
      auto socket = OpenLoopback();
      std::mt19937 random(7);
      std::uniform_int_distribution<int> pauseUs(200, 3000);
      for (int i = 0; i < kAnswers; ++i) {
        const std::vector<uint8_t> bytes = RecordBytes(MakeRecord(static_cast<uint32_t>(i)));
        sentAt[i] = Clock::now().time_since_epoch().count();
        socket->SendTo(bytes.data(), bytes.size(), local);
        std::this_thread::sleep_for(std::chrono::microseconds(pauseUs(random)));
      }
      bDone = true;
    });

    std::vector<double> latenciesUs;
    latenciesUs.reserve(kAnswers);
    const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(30);
    while (static_cast<int>(latenciesUs.size()) < kAnswers && Clock::now() < giveUp) {
      finder.Poll();
      for (int n = 0; n < 20000 && finder.WaitForAnswer(0); ++n) finder.Receive();
      const int64_t now = Clock::now().time_since_epoch().count();
      const CZNObList& devices = finder.GetDevices();
      for (ZNPOSITION pos = devices.GetHeadPosition(); pos != nullptr;) {
        auto* pInfo = static_cast<CKestoInfo*>(devices.GetNext(pos));
        if (pInfo->bListed) continue;
        pInfo->bListed = 1;
        const uint8_t* pMAC = pInfo->GetRecord().byMAC;
        const int iId = pMAC[4] << 8 | pMAC[5];
        latenciesUs.push_back(std::chrono::duration<double, std::micro>(Clock::duration(now - sentAt[iId])).count());
      }
      if (!bDone || static_cast<int>(latenciesUs.size()) < kAnswers) finder.WaitForAnswer(10);
    }
    sender.join();
    std::sort(latenciesUs.begin(), latenciesUs.end());
    if (latenciesUs.empty()) {
      state.SkipWithError("no answer arrived");
      break;
    }
    state.counters["answers"] = static_cast<double>(latenciesUs.size());
    state.counters["p50_us"] = latenciesUs[latenciesUs.size() / 2];
    state.counters["p99_us"] = latenciesUs[latenciesUs.size() * 99 / 100];
    state.counters["max_us"] = latenciesUs.back();
  }
}
BENCHMARK(BM_AnswerToEntryLatency)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
