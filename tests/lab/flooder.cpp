// Test helper: sends a bounded number of datagrams to one endpoint as fast as it
// can, and prints how many went out and the tick at which it stopped.
//   flooder --to ADDR --port N [--count N] [--kind answers|others|lengths] [--lengths L,L,...] [--seed S]
// answers: 100-byte records with random MACs; others: discovery requests,
// set-configuration datagrams and answers, in turn; lengths: one datagram of
// each given length per round (the first 100 bytes pass for a record).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "discovery/KestoWire.h"
#include "platform/SleepMs.h"
#include "platform/TickCount.h"
#include "platform/UdpSocket.h"

namespace {

// However the sends go, the flood ends within this time.
constexpr uint32_t kMaxRunMs = 30000;

KESTO_RECORD RandomRecord(std::mt19937& random) {
  KESTO_RECORD record;
  for (uint8_t& byByte : record.byMAC) byByte = static_cast<uint8_t>(random());
  record.byMAC[0] = 0x06;  // locally administered, never one of the simulator's 02-...
  record.dwIPAddress = 0x0A640000u | (random() & 0xFFFFu);
  SetRecordName(record, "flood");
  return record;
}

std::vector<size_t> ParseLengths(const std::string& sText) {
  std::vector<size_t> lengths;
  size_t nStart = 0;
  while (nStart < sText.size()) {
    size_t nEnd = sText.find(',', nStart);
    if (nEnd == std::string::npos) nEnd = sText.size();
    lengths.push_back(std::strtoul(sText.substr(nStart, nEnd - nStart).c_str(), nullptr, 10));
    nStart = nEnd + 1;
  }
  return lengths;
}

int Usage() {
  std::fprintf(stderr, "usage: flooder --to ADDR --port N [--count N] [--kind answers|others|lengths] "
                       "[--lengths L,L,...] [--seed S]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string sTo, sKind = "answers", sLengths;
  long lPort = 0, lCount = 1;
  unsigned long ulSeed = 1;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string sName = argv[i], sValue = argv[i + 1];
    if (sName == "--to") sTo = sValue;
    else if (sName == "--port") lPort = std::strtol(sValue.c_str(), nullptr, 10);
    else if (sName == "--count") lCount = std::strtol(sValue.c_str(), nullptr, 10);
    else if (sName == "--kind") sKind = sValue;
    else if (sName == "--lengths") sLengths = sValue;
    else if (sName == "--seed") ulSeed = std::strtoul(sValue.c_str(), nullptr, 10);
    else return Usage();
  }
  platform::Ipv4Endpoint to;
  if (argc % 2 != 1 || !ParseAddress(sTo, &to.dwAddress) || lPort < 1 || lPort > 65535 || lCount < 0 ||
      lCount > 10000000)
    return Usage();
  to.wPort = static_cast<uint16_t>(lPort);
  // The one guard that matters on a shared machine: only loopback and the lab's own subnet.
  if ((to.dwAddress >> 24) != 127 && (to.dwAddress >> 8) != 0x0AC900u) {
    std::fprintf(stderr, "flooder: refusing to send outside 127.0.0.0/8 and the lab subnet 10.201.0.0/24\n");
    return 2;
  }
  std::vector<size_t> lengths = ParseLengths(sLengths);
  if (sKind == "lengths" && lengths.empty()) return Usage();
  for (size_t n : lengths)
    if (n > 65507) return Usage();

  platform::UdpSocketOptions options;
  options.bBroadcast = false;
  std::string sError;
  auto pSocket = platform::OpenUdpSocket(options, &sError);
  if (!pSocket) {
    std::fprintf(stderr, "flooder: cannot open a socket: %s\n", sError.c_str());
    return 1;
  }

  std::mt19937 random(static_cast<uint32_t>(ulSeed));
  std::vector<uint8_t> byBuffer(65507);
  const uint32_t dwStart = platform::GetTickCount32();
  long lSent = 0, lRetries = 0;
  auto send = [&](size_t nLength) {
    // A full send queue is waited out briefly: the flood is counted in datagrams that left.
    while (pSocket->SendTo(byBuffer.data(), nLength, to) < 0) {
      ++lRetries;
      if (platform::GetTickCount32() - dwStart > kMaxRunMs) return false;
      if (lRetries % 64 == 0) platform::SleepMs(1);
    }
    ++lSent;
    return true;
  };
  bool bGoing = true;
  for (long n = 0; bGoing && n < lCount; ++n) {
    if (sKind == "lengths") {
      kesto_wire::EncodeRecord(RandomRecord(random), byBuffer.data());
      for (size_t nLength : lengths) bGoing = bGoing && send(nLength);
    } else if (sKind == "answers" || (sKind == "others" && n % 3 == 2)) {
      kesto_wire::EncodeRecord(RandomRecord(random), byBuffer.data());
      bGoing = send(kesto_wire::kRecordSize);
    } else if (sKind == "others" && n % 3 == 0) {
      kesto_wire::EncodeDiscover(byBuffer.data());
      bGoing = send(kesto_wire::kDiscoverSize);
    } else if (sKind == "others") {
      kesto_wire::EncodeSetConfig(RandomRecord(random), byBuffer.data());
      bGoing = send(kesto_wire::kSetConfigSize);
    } else {
      return Usage();
    }
  }
  const uint32_t dwEnd = platform::GetTickCount32();
  std::printf("flooder: sent %ld retries %ld in %u ms, ended at tick %u\n", lSent, lRetries, dwEnd - dwStart, dwEnd);
  return bGoing ? 0 : 1;
}
