// Answers per second the finder takes from a real loopback socket, beside the
// raw receive rate of the same kind of socket measured in the same run.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "discovery/KestoFinder.h"
#include "platform/UdpSocket.h"
#include "support/LoopbackSocket.h"
#include "support/RecordBuilder.h"

namespace {

constexpr int kBatch = 800;  // fits the 1 MiB receive buffer at loopback's per-datagram cost

std::unique_ptr<platform::DatagramSocket> OpenLoopback() { return OpenLoopbackSocket(1 << 20); }

struct Sender {
  Sender() : socket(OpenLoopback()) {
    for (int i = 0; i < kBatch; ++i) answers.push_back(RecordBytes(MakeRecord(static_cast<uint32_t>(i % 1000))));
  }
  void SendBatch(const platform::Ipv4Endpoint& to) {
    for (const auto& a : answers) socket->SendTo(a.data(), a.size(), to);
  }
  std::unique_ptr<platform::DatagramSocket> socket;
  std::vector<std::vector<uint8_t>> answers;
};

void BM_RawRecvfrom(benchmark::State& state) {
  Sender sender;
  auto receiver = OpenLoopback();
  platform::Ipv4Endpoint local;
  receiver->GetLocalEndpoint(&local);
  int64_t nTaken = 0;
  for (auto _ : state) {
    state.PauseTiming();
    sender.SendBatch(local);
    state.ResumeTiming();
    uint8_t buffer[100];
    while (receiver->IsDatagramWaiting() && receiver->ReceiveFrom(buffer, sizeof buffer, nullptr) >= 0) ++nTaken;
  }
  state.SetItemsProcessed(nTaken);
}
BENCHMARK(BM_RawRecvfrom)->UseRealTime();

void BM_FinderReceive(benchmark::State& state) {
  Sender sender;
  KestoFinderOptions options;
  options.endpTarget = {platform::kLoopback, 9};  // never used: no Poll here
  CKestoFinder finder(options, OpenLoopback());
  platform::Ipv4Endpoint local;
  finder.GetSocket()->GetLocalEndpoint(&local);
  int64_t nTaken = 0;
  for (auto _ : state) {
    state.PauseTiming();
    sender.SendBatch(local);
    state.ResumeTiming();
    while (finder.WaitForAnswer(0)) {
      finder.Receive();
      ++nTaken;
    }
  }
  state.SetItemsProcessed(nTaken);
  state.counters["entries"] = finder.GetDevices().GetCount();
}
BENCHMARK(BM_FinderReceive)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
