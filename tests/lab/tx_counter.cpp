// Test helper: counts the IPv4 packets that leave one interface, as probes (8-byte
// UDP datagrams to port 1444) and everything else, until stopped by a signal:
//   tx_counter --interface NAME --ready-file F
// Writes "ready" to F once it captures, and at the end prints
//   tx_counter: probes=N other=N arp=N capture_drops=N
// and a line for each of the first few other packets. A kernel filter keeps
// only outgoing packets, so a flood arriving on the same link cannot crowd them out.
#include <arpa/inet.h>
#include <linux/filter.h>
#include <linux/if_packet.h>
#include <net/ethernet.h>
#include <net/if.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

volatile std::sig_atomic_t g_bStop = 0;
void OnStop(int) { g_bStop = 1; }

constexpr uint16_t kProbePort = 1444;
constexpr size_t kProbeBytes = 8;
constexpr int kOthersShown = 10;

struct Counts {
  unsigned long ulProbes = 0, ulOther = 0, ulArp = 0;
};

void Classify(const uint8_t* p, size_t n, Counts* pCounts) {
  if (n < 14) return;
  const unsigned uType = p[12] << 8 | p[13];
  if (uType == ETH_P_ARP) {
    ++pCounts->ulArp;
    return;
  }
  const uint8_t* ip = p + 14;
  const size_t nIp = n - 14;
  bool bProbe = false;
  if (uType == ETH_P_IP && nIp >= 20) {
    const size_t nHeader = (ip[0] & 15u) * 4;
    if (ip[9] == IPPROTO_UDP && nIp >= nHeader + 8) {
      const unsigned uPort = ip[nHeader + 2] << 8 | ip[nHeader + 3];
      const unsigned uUdpLength = ip[nHeader + 4] << 8 | ip[nHeader + 5];
      bProbe = uPort == kProbePort && uUdpLength == 8 + kProbeBytes;
    }
  }
  if (bProbe) {
    ++pCounts->ulProbes;
    return;
  }
  if (++pCounts->ulOther <= kOthersShown) {
    std::printf("tx_counter: other ethertype=0x%04x bytes=%zu", uType, n);
    if (uType == ETH_P_IP && nIp >= 20) std::printf(" protocol=%u to=%u.%u.%u.%u", ip[9], ip[16], ip[17], ip[18], ip[19]);
    std::printf("\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string sInterface, sReadyFile;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--interface") == 0) sInterface = argv[i + 1];
    else if (std::strcmp(argv[i], "--ready-file") == 0) sReadyFile = argv[i + 1];
  }
  const unsigned uIndex = sInterface.empty() ? 0 : if_nametoindex(sInterface.c_str());
  if (uIndex == 0 || sReadyFile.empty()) {
    std::fprintf(stderr, "usage: tx_counter --interface NAME --ready-file F (interface must exist)\n");
    return 2;
  }
  // Protocol 0 until bound: nothing is captured before the filter is in place.
  const int fd = socket(AF_PACKET, SOCK_RAW, 0);
  if (fd < 0) {
    std::perror("tx_counter: socket");
    return 1;
  }
  sock_filter code[] = {
      {BPF_LD | BPF_B | BPF_ABS, 0, 0, static_cast<uint32_t>(SKF_AD_OFF + SKF_AD_PKTTYPE)},
      {BPF_JMP | BPF_JEQ | BPF_K, 0, 1, PACKET_OUTGOING},
      {BPF_RET | BPF_K, 0, 0, 0xFFFF},
      {BPF_RET | BPF_K, 0, 0, 0},
  };
  sock_fprog program{static_cast<unsigned short>(sizeof code / sizeof code[0]), code};
  int iBuffer = 4 << 20;
  setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &iBuffer, sizeof iBuffer);
  if (setsockopt(fd, SOL_SOCKET, SO_ATTACH_FILTER, &program, sizeof program) != 0) {
    std::perror("tx_counter: SO_ATTACH_FILTER");
    return 1;
  }
  sockaddr_ll address{};
  address.sll_family = AF_PACKET;
  address.sll_protocol = htons(ETH_P_ALL);
  address.sll_ifindex = static_cast<int>(uIndex);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    std::perror("tx_counter: bind");
    return 1;
  }
  std::signal(SIGTERM, OnStop);
  std::signal(SIGINT, OnStop);
  std::ofstream(sReadyFile) << "ready\n";

  Counts counts;
  uint8_t buffer[2048];
  for (;;) {
    pollfd entry{fd, POLLIN, 0};
    // After the stop, what is already captured is still read, then the count ends.
    const int iReady = poll(&entry, 1, g_bStop ? 0 : 100);
    if (iReady <= 0) {
      if (g_bStop) break;
      continue;
    }
    sockaddr_ll from{};
    socklen_t fromSize = sizeof from;
    const ssize_t n = recvfrom(fd, buffer, sizeof buffer, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (n < 0 || from.sll_pkttype != PACKET_OUTGOING) continue;
    Classify(buffer, static_cast<size_t>(n), &counts);
  }
  tpacket_stats stats{};
  socklen_t statsSize = sizeof stats;
  getsockopt(fd, SOL_PACKET, PACKET_STATISTICS, &stats, &statsSize);
  std::printf("tx_counter: probes=%lu other=%lu arp=%lu capture_drops=%u\n", counts.ulProbes, counts.ulOther,
              counts.ulArp, stats.tp_drops);
  close(fd);
  return 0;
}
