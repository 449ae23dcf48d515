#include "discovery/KestoFinder.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/FakeClock.h"
#include "support/FakeDatagramSocket.h"
#include "support/RecordBuilder.h"

namespace {

class KestoFinderTest : public ::testing::Test {
 protected:
  void MakeFinder(uint32_t dwStart = 0, size_t nMax = 16384) {
    clock.Set(dwStart);
    KestoFinderOptions options;
    options.pTicks = &clock;
    options.nMaxEntries = nMax;
    // No adapters: the default target's probes go to 255.255.255.255 alone.
    options.fnReadInterfaces = [](std::vector<platform::NetInterface>* p) {
      p->clear();
      return true;
    };
    auto socket = std::make_unique<FakeDatagramSocket>();
    pSocket = socket.get();
    finder = std::make_unique<CKestoFinder>(options, std::move(socket));
  }

  std::vector<CKestoInfo*> Entries() const {
    std::vector<CKestoInfo*> out;
    const CZNObList& list = finder->GetDevices();
    for (ZNPOSITION pos = list.GetHeadPosition(); pos != nullptr;)
      out.push_back(static_cast<CKestoInfo*>(list.GetNext(pos)));
    return out;
  }

  size_t Probes() const {
    size_t n = 0;
    for (const auto& sent : pSocket->sent) n += sent.bytes.size() == 8 ? 1 : 0;
    return n;
  }

  FakeClock clock;
  FakeDatagramSocket* pSocket = nullptr;
  std::unique_ptr<CKestoFinder> finder;
};

TEST_F(KestoFinderTest, ProbeGoesOutOnlyAfterMoreThanTheInterval) {
  const uint32_t starts[] = {0, 0xFFFFFE00u};  // the second wraps between probes
  for (uint32_t dwStart : starts) {
    SCOPED_TRACE(dwStart);
    MakeFinder(dwStart);
    finder->Poll();
    EXPECT_EQ(Probes(), 0u);
    clock.Set(dwStart + 1000);
    finder->Poll();
    EXPECT_EQ(Probes(), 0u) << "1000 ms is not yet due";
    clock.Set(dwStart + 1001);
    finder->Poll();
    ASSERT_EQ(Probes(), 1u);
    EXPECT_EQ(pSocket->sent[0].bytes, (std::vector<uint8_t>{4, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(pSocket->sent[0].to, (platform::Ipv4Endpoint{0xFFFFFFFFu, 1444}));
    clock.Set(dwStart + 2001);
    finder->Poll();
    EXPECT_EQ(Probes(), 1u);
    clock.Set(dwStart + 2002);
    finder->Poll();
    EXPECT_EQ(Probes(), 2u);
  }
}

TEST_F(KestoFinderTest, OneEntryPerMacInFirstAnswerOrder) {
  MakeFinder();
  for (uint32_t id : {3u, 1u, 3u, 2u, 1u}) pSocket->Queue(RecordBytes(MakeRecord(id)));
  for (int i = 0; i < 5; ++i) finder->Poll();
  auto entries = Entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0]->GetRecord(), MakeRecord(3));
  EXPECT_EQ(entries[1]->GetRecord(), MakeRecord(1));
  EXPECT_EQ(entries[2]->GetRecord(), MakeRecord(2));
  for (auto* p : entries) EXPECT_EQ(p->bChanged, 0);
  int iIndex = -1;
  EXPECT_EQ(finder->FindByMAC(MakeRecord(2), &iIndex), entries[2]);
  EXPECT_EQ(iIndex, 2);
  iIndex = 77;
  EXPECT_EQ(finder->FindByMAC(MakeRecord(9), &iIndex), nullptr);
  EXPECT_EQ(iIndex, 77) << "index left alone when nothing is found";
  EXPECT_EQ(finder->FindByIP({MakeRecord(1).dwIPAddress, 1444}), entries[1]);
  EXPECT_EQ(finder->FindByIP({0x01010101u, 1444}), nullptr);
}

TEST_F(KestoFinderTest, OneDatagramPerReceive) {
  MakeFinder();
  pSocket->Queue(RecordBytes(MakeRecord(1)));
  pSocket->Queue(RecordBytes(MakeRecord(2)));
  finder->Poll();
  EXPECT_EQ(Entries().size(), 1u);
  finder->Poll();
  EXPECT_EQ(Entries().size(), 2u);
}

TEST_F(KestoFinderTest, ChangedRecordIsReplacedInPlace) {
  MakeFinder();
  for (uint32_t id : {1u, 2u, 3u}) pSocket->Queue(RecordBytes(MakeRecord(id)));
  for (int i = 0; i < 3; ++i) finder->Poll();
  clock.Advance(500);
  pSocket->Queue(RecordBytes(MakeRecord(2)));  // same bytes: only the tick moves
  finder->Poll();
  EXPECT_EQ(Entries()[1]->bChanged, 0);
  EXPECT_EQ(Entries()[1]->dwLastSeen, 500u);

  KESTO_RECORD renamed = MakeRecord(2, "renamed");
  renamed.dwIPAddress = 0x0A0A0A0Au;
  clock.Advance(100);
  pSocket->Queue(RecordBytes(renamed));
  finder->Poll();
  auto entries = Entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[1]->GetRecord(), renamed);
  EXPECT_EQ(entries[1]->bChanged, 1);
  EXPECT_EQ(entries[1]->dwLastSeen, 600u);
  pSocket->Queue(RecordBytes(renamed));
  finder->Poll();
  EXPECT_EQ(Entries()[1]->bChanged, 1) << "never lowered";
}

TEST_F(KestoFinderTest, WrongLengthDatagramsAreDroppedWithoutStalling) {
  MakeFinder();
  for (size_t n : {0u, 1u, 8u, 99u, 101u, 104u, 1500u}) pSocket->Queue(std::vector<uint8_t>(n, 0x5A));
  pSocket->Queue(RecordBytes(MakeRecord(1)));
  for (int i = 0; i < 7; ++i) finder->Poll();
  EXPECT_TRUE(Entries().empty());
  EXPECT_EQ(finder->GetDroppedDatagrams(), 7u);
  finder->Poll();
  EXPECT_EQ(Entries().size(), 1u);
  EXPECT_EQ(pSocket->Waiting(), 0u);
}

TEST_F(KestoFinderTest, EntriesAgeOutAfterMoreThanTheLimit) {
  MakeFinder(0xFFFFF000u);
  pSocket->Queue(RecordBytes(MakeRecord(1)));
  pSocket->Queue(RecordBytes(MakeRecord(2)));
  finder->Poll();
  clock.Advance(1000);
  finder->Poll();  // device 2 seen 1000 ms later
  clock.Set(0xFFFFF000u + 2000);
  finder->RemoveAged();
  EXPECT_EQ(Entries().size(), 2u) << "2000 ms is not aged";
  clock.Set(0xFFFFF000u + 2001);
  finder->RemoveAged();
  auto entries = Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0]->GetRecord(), MakeRecord(2));

  pSocket->Queue(RecordBytes(MakeRecord(1)));  // back again: a new entry at the tail
  finder->Poll();
  entries = Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1]->GetRecord(), MakeRecord(1));
  EXPECT_EQ(entries[1]->bListed, 0);
  finder->RemoveAged(clock.Now() + 5000);
  EXPECT_TRUE(Entries().empty());
  EXPECT_EQ(finder->FindByMAC(MakeRecord(1)), nullptr);
}

TEST_F(KestoFinderTest, LongerAgeLimitKeepsAnEntryUpToItAcrossTheWrap) {
  MakeFinder(0xFFFFFF00u);
  pSocket->Queue(RecordBytes(MakeRecord(1)));
  finder->Poll();
  finder->RemoveAged(0xFFFFFF00u + 3000, 3000);
  EXPECT_EQ(Entries().size(), 1u) << "3000 ms silent is within a 3000 ms limit";
  finder->RemoveAged(0xFFFFFF00u + 3001, 3000);
  EXPECT_TRUE(Entries().empty());
  EXPECT_EQ(finder->FindByMAC(MakeRecord(1)), nullptr);
}

// RemoveAged walks the entries only when the oldest answer of its last walk could have
// aged; answers in between only make entries younger. Across the tick wrap, each step: an
// answer (device 0 for none) at a tick, then RemoveAged there with a 2000 ms limit.
TEST_F(KestoFinderTest, AgedEntriesAreFoundThoughWalksAreSkippedAcrossTheWrap) {
  constexpr uint32_t kStart = 0xFFFFF800u;
  MakeFinder(kStart);
  struct Step {
    uint32_t dwAt;       // after kStart
    uint32_t dwDevice;   // answering at dwAt, 0 for none
    const char* pszName;
    bool bMayHaveAged;   // before the call
    size_t nLeft;
    uint64_t nRecordChanges;  // entries added and records replaced so far
  };
  const Step steps[] = {
      {0, 1, "dev", false, 1, 1},          // the first entry sets the bound
      {500, 2, "dev", false, 2, 2},        // a younger one leaves it
      {1500, 1, "renamed", false, 2, 3},   // A answers, changed
      {1600, 1, "renamed", false, 2, 3},   // the same bytes again: no change
      {2000, 0, "", false, 2, 3},          // A's first answer is exactly the limit old
      {2001, 0, "", true, 2, 3},           // walked: nobody aged, the bound is now B's answer
      {2500, 0, "", false, 2, 3},
      {2501, 0, "", true, 1, 3},           // B aged
      {3600, 0, "", false, 1, 3},
      {3601, 0, "", true, 0, 3},           // A aged
      {3602, 0, "", true, 0, 3},           // an empty list has no bound
      {3700, 3, "dev", false, 1, 4},
  };
  for (const Step& step : steps) {
    const uint32_t dwNow = kStart + step.dwAt;
    clock.Set(dwNow);
    if (step.dwDevice != 0) {
      pSocket->Queue(RecordBytes(MakeRecord(step.dwDevice, step.pszName)));
      finder->Receive();
    }
    EXPECT_EQ(finder->MayHaveAged(dwNow, 2000), step.bMayHaveAged) << "at +" << step.dwAt;
    finder->RemoveAged(dwNow, 2000);
    EXPECT_EQ(Entries().size(), step.nLeft) << "at +" << step.dwAt;
    EXPECT_EQ(finder->GetRecordChanges(), step.nRecordChanges) << "at +" << step.dwAt;
  }
  // A walk asked for at a tick before the last answer finds that answer aged, as IsAged does.
  EXPECT_TRUE(finder->MayHaveAged(kStart + 3699, 2000));
  finder->RemoveAged(kStart + 3699, 2000);
  EXPECT_TRUE(Entries().empty());
}

TEST_F(KestoFinderTest, EntryCapRefusesNewDevicesButRenewsKnownOnes) {
  MakeFinder(0, 3);
  for (uint32_t id = 1; id <= 5; ++id) pSocket->Queue(RecordBytes(MakeRecord(id)));
  clock.Advance(10);
  pSocket->Queue(RecordBytes(MakeRecord(2)));
  for (int i = 0; i < 6; ++i) finder->Poll();
  EXPECT_EQ(Entries().size(), 3u);
  EXPECT_EQ(finder->GetRefusedDevices(), 2u);
  EXPECT_EQ(Entries()[1]->dwLastSeen, 10u);
  EXPECT_EQ(finder->FindByMAC(MakeRecord(4)), nullptr);
}

TEST_F(KestoFinderTest, SendConfigCarriesTheRecord) {
  MakeFinder();
  const KESTO_RECORD record = MakeRecord(9, "configured");
  EXPECT_EQ(finder->SendConfig(record), 104);
  ASSERT_EQ(pSocket->sent.size(), 1u);
  std::vector<uint8_t> expected{7, 0, 0, 0};
  const auto bytes = RecordBytes(record);
  expected.insert(expected.end(), bytes.begin(), bytes.end());
  EXPECT_EQ(pSocket->sent[0].bytes, expected);
  EXPECT_EQ(pSocket->sent[0].to.dwAddress, 0xFFFFFFFFu);
}

TEST_F(KestoFinderTest, FailingSendsAreIgnored) {
  MakeFinder();
  pSocket->bFailSends = true;
  clock.Advance(1001);
  finder->Poll();
  EXPECT_EQ(finder->SendConfig(MakeRecord(1)), -1);
  pSocket->bFailSends = false;
  clock.Advance(1001);
  finder->Poll();
  EXPECT_EQ(Probes(), 1u);
}

TEST(KestoFinderNoSocketTest, StaysSilentAndReportsTheReason) {
  FakeClock clock;
  KestoFinderOptions options;
  options.pTicks = &clock;
  CKestoFinder finder(options, nullptr, "socket: no permission");
  EXPECT_FALSE(finder.IsSocketOpen());
  EXPECT_EQ(finder.GetSocketError(), "socket: no permission");
  clock.Advance(5000);
  finder.Poll();
  finder.RemoveAged();
  EXPECT_EQ(finder.SendProbe(), -1);
  EXPECT_EQ(finder.SendConfig(MakeRecord(1)), -1);
  EXPECT_FALSE(finder.WaitForAnswer(0));
  EXPECT_TRUE(finder.GetDevices().IsEmpty());
}

}  // namespace
