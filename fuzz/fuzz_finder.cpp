// Feeds fuzzer-chosen datagrams and clock steps through the finder's receive path
// and checks its invariants after every step.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>
#include <vector>

#include "discovery/KestoFinder.h"
#include "discovery/KestoWire.h"
#include "support/FakeClock.h"
#include "support/FakeDatagramSocket.h"

namespace {

constexpr size_t kMaxEntries = 64;

void Check(bool bCondition) {
  if (!bCondition) std::abort();
}

uint64_t MacKey(const KESTO_RECORD& record) {
  uint64_t key = 0;
  for (uint8_t b : record.byMAC) key = (key << 8) | b;
  return key;
}

void CheckInvariants(const CKestoFinder& finder, uint32_t dwStart, uint32_t dwNow) {
  const CZNObList& list = finder.GetDevices();
  Check(list.GetCount() >= 0 && static_cast<size_t>(list.GetCount()) <= kMaxEntries);
  std::set<uint64_t> macs;
  int n = 0;
  for (ZNPOSITION pos = list.GetHeadPosition(); pos != nullptr; ++n) {
    const auto* pInfo = static_cast<const CKestoInfo*>(list.GetNext(pos));
    Check(macs.insert(MacKey(pInfo->GetRecord())).second);
    // Every tick stamp is one the clock has shown since the start.
    Check(static_cast<uint32_t>(dwNow - pInfo->dwLastSeen) <= static_cast<uint32_t>(dwNow - dwStart));
    Check(pInfo->bChanged == 0 || pInfo->bChanged == 1);
    Check(finder.FindByMAC(pInfo->GetRecord()) == pInfo);
  }
  Check(n == list.GetCount());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
  FuzzedDataProvider input(pData, nSize);
  const uint32_t dwStart = input.ConsumeIntegral<uint32_t>();
  FakeClock clock(dwStart);
  KestoFinderOptions options;
  options.pTicks = &clock;
  options.nMaxEntries = kMaxEntries;
  // No interface table and no route look-up: every run sees the same destinations.
  options.fnReadInterfaces = nullptr;
  options.fnRouteSource = nullptr;
  auto owned = std::make_unique<FakeDatagramSocket>();
  FakeDatagramSocket* pSocket = owned.get();
  CKestoFinder finder(options, std::move(owned));

  uint64_t nQueuedWrong = 0;
  uint64_t nAdvanced = 0;
  while (input.remaining_bytes() > 0) {
    switch (input.ConsumeIntegralInRange<int>(0, 4)) {
      case 0: {  // a datagram of any length
        const size_t n = input.ConsumeIntegralInRange<size_t>(0, 2048);
        std::vector<uint8_t> bytes = input.ConsumeBytes<uint8_t>(n);
        bytes.resize(n);
        nQueuedWrong += n != kesto_wire::kRecordSize;
        pSocket->Queue(std::move(bytes));
        break;
      }
      case 1: {  // a well-formed answer from one of a few MAC addresses
        std::vector<uint8_t> bytes = input.ConsumeBytes<uint8_t>(kesto_wire::kRecordSize);
        bytes.resize(kesto_wire::kRecordSize);
        bytes[kesto_wire::kOffMAC + 5] &= 0x0F;
        pSocket->Queue(std::move(bytes));
        break;
      }
      case 2: {
        const uint32_t dwStep = input.ConsumeIntegralInRange<uint32_t>(0, 3000);
        // Keep the total below 2^32 so "seen since the start" stays meaningful.
        if (nAdvanced + dwStep < 0xF0000000u) {
          clock.Advance(dwStep);
          nAdvanced += dwStep;
        }
        break;
      }
      case 3:
        finder.Poll();
        break;
      case 4:
        finder.RemoveAged(clock.Now());
        break;
    }
    CheckInvariants(finder, dwStart, clock.Now());
  }
  while (pSocket->Waiting() > 0) finder.Receive();
  CheckInvariants(finder, dwStart, clock.Now());
  Check(finder.GetDroppedDatagrams() == nQueuedWrong);
  return 0;
}
