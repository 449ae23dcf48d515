// Answers per second the finder takes from a real loopback socket, beside what the
// bare system calls get from the same kind of socket in the same run: recvmmsg in
// batches of 64, one non-blocking recvfrom per datagram, and poll before each
// recvfrom (the finder's way before it read ahead). Linux only, as the bench is.
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "discovery/KestoFinder.h"
#include "platform/UdpSocket.h"
#include "support/LoopbackSocket.h"
#include "support/RecordBuilder.h"

namespace {

constexpr int kBatch = 2000;             // answers waiting at the start of each round
constexpr int kBufferBytes = 4 << 20;    // holds them at loopback's cost per datagram

struct Sender {
  Sender() : socket(OpenLoopbackSocket(kBufferBytes)) {
    for (int i = 0; i < kBatch; ++i) answers.push_back(RecordBytes(MakeRecord(static_cast<uint32_t>(i % 1000))));
    for (const auto& a : answers) parts.push_back({a.data(), a.size()});
  }
  void SendBatch(const platform::Ipv4Endpoint& to) { socket->SendBatchTo(parts.data(), parts.size(), to); }
  std::unique_ptr<platform::DatagramSocket> socket;
  std::vector<std::vector<uint8_t>> answers;
  std::vector<platform::DatagramSocket::Part> parts;
};

// A bare socket on 127.0.0.1 for the system-call rows.
struct BareSocket {
  BareSocket() : fd(::socket(AF_INET, SOCK_DGRAM, 0)) {
    int bytes = kBufferBytes;
    if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) != 0)
      ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(platform::kLoopback);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    local = {platform::kLoopback, ntohs(address.sin_port)};
  }
  ~BareSocket() { ::close(fd); }
  int fd;
  platform::Ipv4Endpoint local;
};

template <typename Drain>
void RunRounds(benchmark::State& state, const platform::Ipv4Endpoint& to, Drain drain) {
  Sender sender;
  int64_t nTaken = 0;
  for (auto _ : state) {
    state.PauseTiming();
    sender.SendBatch(to);
    state.ResumeTiming();
    nTaken += drain();
  }
  state.SetItemsProcessed(nTaken);
  state.counters["per_round"] = benchmark::Counter(static_cast<double>(nTaken) / static_cast<double>(state.iterations()));
}

void BM_RecvmmsgDrain(benchmark::State& state) {
  BareSocket bare;
  constexpr unsigned kRun = 64;
  uint8_t buffers[kRun][128];
  iovec parts[kRun];
  mmsghdr messages[kRun];
  RunRounds(state, bare.local, [&] {
    int64_t n = 0;
    for (;;) {
      for (unsigned i = 0; i < kRun; ++i) {
        parts[i] = {buffers[i], sizeof buffers[i]};
        messages[i] = mmsghdr{};
        messages[i].msg_hdr.msg_iov = &parts[i];
        messages[i].msg_hdr.msg_iovlen = 1;
      }
      const int iRead = ::recvmmsg(bare.fd, messages, kRun, MSG_DONTWAIT, nullptr);
      if (iRead <= 0) return n;
      n += iRead;
    }
  });
}
BENCHMARK(BM_RecvmmsgDrain)->UseRealTime();

void BM_NonBlockingRecvfrom(benchmark::State& state) {
  BareSocket bare;
  RunRounds(state, bare.local, [&] {
    int64_t n = 0;
    uint8_t buffer[128];
    while (::recvfrom(bare.fd, buffer, sizeof buffer, MSG_DONTWAIT, nullptr, nullptr) >= 0) ++n;
    return n;
  });
}
BENCHMARK(BM_NonBlockingRecvfrom)->UseRealTime();

void BM_PollThenRecvfrom(benchmark::State& state) {
  BareSocket bare;
  RunRounds(state, bare.local, [&] {
    int64_t n = 0;
    uint8_t buffer[128];
    for (;;) {
      pollfd entry{bare.fd, POLLIN, 0};
      if (::poll(&entry, 1, 0) <= 0) return n;
      if (::recvfrom(bare.fd, buffer, sizeof buffer, MSG_DONTWAIT, nullptr, nullptr) < 0) return n;
      ++n;
    }
  });
}
BENCHMARK(BM_PollThenRecvfrom)->UseRealTime();

// The platform socket alone, the way the finder calls it.
void BM_SocketReceiveFrom(benchmark::State& state) {
  auto receiver = OpenLoopbackSocket(kBufferBytes);
  platform::Ipv4Endpoint local;
  receiver->GetLocalEndpoint(&local);
  RunRounds(state, local, [&] {
    int64_t n = 0;
    uint8_t buffer[100];
    while (receiver->IsDatagramWaiting() && receiver->ReceiveFrom(buffer, sizeof buffer, nullptr) >= 0) ++n;
    return n;
  });
}
BENCHMARK(BM_SocketReceiveFrom)->UseRealTime();

// The command line's drain: WaitForAnswer(0), then Receive, once per answer.
void BM_FinderReceive(benchmark::State& state) {
  KestoFinderOptions options;
  options.endpTarget = {platform::kLoopback, 9};  // never used: no Poll here
  CKestoFinder finder(options, OpenLoopbackSocket(kBufferBytes));
  platform::Ipv4Endpoint local;
  finder.GetSocket()->GetLocalEndpoint(&local);
  RunRounds(state, local, [&] {
    int64_t n = 0;
    while (finder.WaitForAnswer(0)) {
      finder.Receive();
      ++n;
    }
    return n;
  });
  state.counters["entries"] = finder.GetDevices().GetCount();
}
BENCHMARK(BM_FinderReceive)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
