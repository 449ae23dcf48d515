// The finder's ways out: adapters' broadcasts, the interface table's refresh, the
// paced unicast sweep and its ageing, and set-configuration datagrams.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "discovery/KestoFinder.h"
#include "support/FakeClock.h"
#include "support/FakeDatagramSocket.h"
#include "support/RecordBuilder.h"
#include "support/InterfaceBuilder.h"

namespace {

constexpr uint32_t Ip(uint32_t a, uint32_t b, uint32_t c, uint32_t d) { return a << 24 | b << 16 | c << 8 | d; }
constexpr uint32_t kEth0 = Ip(10, 202, 1, 1);
constexpr uint32_t kEth1 = Ip(10, 202, 2, 1);
constexpr platform::Ipv4Endpoint kLimited{platform::kLimitedBroadcast, 1444};
constexpr platform::Ipv4Endpoint kEth0Broadcast{Ip(10, 202, 1, 255), 1444};
constexpr platform::Ipv4Endpoint kEth1Broadcast{Ip(10, 202, 2, 255), 1444};

platform::NetInterface Iface(const char* pszName, uint32_t dwAddress) {
  return MakeInterface(pszName, dwAddress, PrefixMask(24));
}

class KestoFinderDestinationsTest : public ::testing::Test {
 protected:
  void MakeFinder(uint32_t dwStart = 0, const KestoDestinations& destinations = {}, int iRate = 1000,
                  platform::Ipv4Endpoint target = kLimited) {
    clock.Set(dwStart);
    KestoFinderOptions options;
    options.pTicks = &clock;
    options.endpTarget = target;
    options.destinations = destinations;
    options.iUnicastPerSecond = iRate;
    options.fnReadInterfaces = [this](std::vector<platform::NetInterface>* p) {
      ++nTableReads;
      if (!bTableReadable) return false;
      *p = table;
      return true;
    };
    options.fnRouteSource = [this](const platform::Ipv4Endpoint&, uint32_t* pdwSource) {
      *pdwSource = dwRouteSource;
      return dwRouteSource != 0;
    };
    auto socket = std::make_unique<FakeDatagramSocket>();
    pSocket = socket.get();
    finder = std::make_unique<CKestoFinder>(options, std::move(socket));
  }

  // The destinations of the datagrams sent since the last call, in order.
  std::vector<platform::Ipv4Endpoint> TakeSent(size_t nSize = 8) {
    std::vector<platform::Ipv4Endpoint> to;
    for (size_t i = nTaken; i < pSocket->sent.size(); ++i)
      if (pSocket->sent[i].bytes.size() == nSize) to.push_back(pSocket->sent[i].to);
    nTaken = pSocket->sent.size();
    return to;
  }

  static KestoDestinations Sweep(uint32_t dwFirst, size_t nCount) {
    KestoDestinations destinations;
    for (size_t i = 0; i < nCount; ++i) destinations.vecUnicast.push_back(dwFirst + static_cast<uint32_t>(i));
    return destinations;
  }

  std::vector<platform::NetInterface> table{Iface("eth0", kEth0), Iface("eth1", kEth1)};
  bool bTableReadable = true;
  uint32_t dwRouteSource = kEth0;
  int nTableReads = 0;
  FakeClock clock;
  FakeDatagramSocket* pSocket = nullptr;
  size_t nTaken = 0;
  std::unique_ptr<CKestoFinder> finder;
};

TEST_F(KestoFinderDestinationsTest, AProbeGoesToTheLimitedBroadcastAndTheOtherAdapters) {
  MakeFinder();
  EXPECT_TRUE(finder->GetBroadcastEndpoints().empty()) << "no probe yet";
  EXPECT_EQ(finder->SendProbe(), 8);
  // eth0 carries the limited broadcast already, so only eth1 gets a directed one.
  const std::vector<platform::Ipv4Endpoint> expected{kLimited, kEth1Broadcast};
  EXPECT_EQ(TakeSent(), expected);
  EXPECT_EQ(finder->GetBroadcastEndpoints(), expected);
  for (const auto& sent : pSocket->sent) EXPECT_EQ(sent.bytes, (std::vector<uint8_t>{4, 0, 0, 0, 0, 0, 0, 0}));

  dwRouteSource = 0;  // no default route known: every adapter's own broadcast too
  clock.Advance(5000);
  finder->SendProbe();
  EXPECT_EQ(TakeSent(), (std::vector<platform::Ipv4Endpoint>{kLimited, kEth0Broadcast, kEth1Broadcast}));
}

TEST_F(KestoFinderDestinationsTest, AnExplicitTargetReplacesEveryBroadcast) {
  const platform::Ipv4Endpoint loopback{platform::kLoopback, 14440};
  MakeFinder(0, {}, 1000, loopback);
  EXPECT_EQ(nTableReads, 0) << "an explicit target needs no interface table";
  clock.Advance(1001);
  finder->Poll();
  EXPECT_EQ(TakeSent(), (std::vector<platform::Ipv4Endpoint>{loopback}));
  EXPECT_FALSE(finder->HasInterfaceTable());
}

TEST_F(KestoFinderDestinationsTest, TheTableIsReadAtStartAndAtMostEveryFiveSeconds) {
  MakeFinder(0xFFFFF000u);  // the refresh interval spans the tick wrap
  EXPECT_EQ(nTableReads, 1);
  EXPECT_TRUE(finder->HasInterfaceTable());
  for (int i = 0; i < 4; ++i) {
    clock.Advance(1001);
    finder->Poll();
  }
  EXPECT_EQ(nTableReads, 1) << "4004 ms: not yet";
  table.push_back(Iface("eth2", Ip(10, 202, 3, 1)));  // an adapter arrives
  clock.Advance(1001);
  finder->Poll();
  EXPECT_EQ(nTableReads, 2);
  TakeSent();
  clock.Advance(1001);
  finder->Poll();
  EXPECT_EQ(TakeSent(), (std::vector<platform::Ipv4Endpoint>{kLimited, kEth1Broadcast, {Ip(10, 202, 3, 255), 1444}}));

  // An unreadable table keeps the last one; the broadcasts go on.
  bTableReadable = false;
  table.clear();
  clock.Advance(5001);
  finder->SendProbe();
  EXPECT_EQ(nTableReads, 3);
  EXPECT_EQ(TakeSent().size(), 3u);
  EXPECT_EQ(finder->GetInterfaces().size(), 3u);
}

TEST_F(KestoFinderDestinationsTest, SetDestinationsTakesEffectAtTheNextProbe) {
  MakeFinder();
  KestoDestinations onlyEth1;
  onlyEth1.vecInterfaces = {"eth1"};
  finder->SetDestinations(onlyEth1);
  EXPECT_EQ(finder->GetDestinations(), onlyEth1);
  EXPECT_TRUE(TakeSent().empty());
  clock.Advance(1001);
  finder->Poll();
  EXPECT_EQ(TakeSent(), (std::vector<platform::Ipv4Endpoint>{kEth1Broadcast}));
  KestoDestinations nothing;
  nothing.bLimitedBroadcast = nothing.bEveryAdapter = false;
  finder->SetDestinations(nothing);
  EXPECT_EQ(finder->SendProbe(), -1) << "nowhere to send";
  EXPECT_TRUE(TakeSent().empty());
}

TEST_F(KestoFinderDestinationsTest, AFailingAdapterDoesNotStopTheOthers) {
  MakeFinder();
  dwRouteSource = 0;
  clock.Advance(5000);
  pSocket->failTo = {kLimited.dwAddress, kEth0Broadcast.dwAddress};
  EXPECT_EQ(finder->SendProbe(), 8) << "one way went out";
  EXPECT_EQ(TakeSent(), (std::vector<platform::Ipv4Endpoint>{kEth1Broadcast}));
  EXPECT_EQ(finder->SendConfig(MakeRecord(1)), 104);
  EXPECT_EQ(TakeSent(104), (std::vector<platform::Ipv4Endpoint>{kEth1Broadcast}));
  pSocket->failTo.push_back(kEth1Broadcast.dwAddress);
  EXPECT_EQ(finder->SendProbe(), -1);
  EXPECT_EQ(finder->SendConfig(MakeRecord(1)), -1);
}

TEST_F(KestoFinderDestinationsTest, SendConfigGoesEveryWayAndToTheDevicesAddress) {
  MakeFinder();
  KESTO_RECORD record = MakeRecord(7);
  EXPECT_EQ(finder->SendConfig(record), 104);
  EXPECT_EQ(TakeSent(104), (std::vector<platform::Ipv4Endpoint>{kLimited, kEth1Broadcast}))
      << "no unicast without targets";

  // With targets, also straight to where the device's answers came from: neither the
  // address its record claims nor the new one being sent.
  MakeFinder(0, Sweep(Ip(10, 202, 9, 1), 4));
  nTaken = 0;
  record.dwIPAddress = Ip(10, 202, 9, 77);
  pSocket->Queue(RecordBytes(record), {Ip(10, 202, 9, 3), 1444});
  finder->Receive();
  ASSERT_NE(finder->FindByMAC(record), nullptr);
  KESTO_RECORD changed = record;
  changed.dwIPAddress = Ip(10, 202, 9, 44);
  EXPECT_EQ(finder->SendConfig(changed), 104);
  EXPECT_EQ(TakeSent(104),
            (std::vector<platform::Ipv4Endpoint>{kLimited, kEth1Broadcast, {Ip(10, 202, 9, 3), 1444}}));
  // A later answer from elsewhere moves the direct way along.
  pSocket->Queue(RecordBytes(record), {Ip(10, 202, 9, 4), 1444});
  finder->Receive();
  finder->SendConfig(changed);
  EXPECT_EQ(TakeSent(104).back(), (platform::Ipv4Endpoint{Ip(10, 202, 9, 4), 1444}));
  // A device never heard from gets the broadcasts only: its record's address is unproven.
  KESTO_RECORD stranger = MakeRecord(8);
  stranger.dwIPAddress = Ip(10, 202, 9, 5);
  finder->SendConfig(stranger);
  EXPECT_EQ(TakeSent(104), (std::vector<platform::Ipv4Endpoint>{kLimited, kEth1Broadcast}));
  // Once aged out, the device's direct way is forgotten with it.
  finder->RemoveAged(clock.Now() + 60000);
  finder->SendConfig(changed);
  EXPECT_EQ(TakeSent(104), (std::vector<platform::Ipv4Endpoint>{kLimited, kEth1Broadcast}));
  for (const auto& sent : pSocket->sent)
    if (sent.bytes.size() == 104) {
      EXPECT_EQ(sent.bytes[0], 7);
    }
}

// Checks that no 1000-ms window holds more than iLimit unicast sends, given each send's tick.
void ExpectWindowBound(const std::vector<uint32_t>& ticks, size_t nLimit) {
  for (size_t i = 0; i < ticks.size(); ++i) {
    size_t nInWindow = 0;
    for (size_t j = i; j < ticks.size() && static_cast<uint32_t>(ticks[j] - ticks[i]) < 1000; ++j) ++nInWindow;
    ASSERT_LE(nInWindow, nLimit) << "window starting at send " << i;
  }
}

TEST_F(KestoFinderDestinationsTest, TheSweepIsPacedAcrossPollsAndTheTickWrap) {
  struct Case {
    uint32_t dwStart;
    int iRate;
    size_t nTargets;
    uint32_t dwStepMs;  // time between Polls
  };
  const Case cases[] = {
      {0, 1000, 2500, 10}, {0xFFFFF800u, 1000, 2500, 10},  // wraps 2 s into the sweep
      {0xFFFFFF00u, 100, 250, 7}, {5, 1000, 300, 1}, {0, 50, 120, 250},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dwStart << " rate " << c.iRate << " step " << c.dwStepMs);
    KestoDestinations destinations = Sweep(Ip(10, 203, 0, 1), c.nTargets);
    destinations.bLimitedBroadcast = destinations.bEveryAdapter = false;
    MakeFinder(c.dwStart, destinations, c.iRate);
    nTaken = 0;
    EXPECT_EQ(finder->SendProbe(), 8);
    std::vector<platform::Ipv4Endpoint> to = TakeSent();
    std::vector<uint32_t> ticks(to.size(), clock.Now());
    EXPECT_EQ(ticks.size(), 1u) << "only the first slot is due at once";
    EXPECT_TRUE(finder->IsSweeping());
    // A finished sweep starts again at the next probe; this looks at the first round only.
    for (int i = 0; i < 200000 && ticks.size() < c.nTargets; ++i) {
      clock.Advance(c.dwStepMs);
      finder->Poll();
      const auto sent = TakeSent();
      ASSERT_LE(sent.size(), 64u) << "one Poll sends a bounded batch";
      to.insert(to.end(), sent.begin(), sent.end());
      ticks.insert(ticks.end(), sent.size(), clock.Now());
    }
    ASSERT_GE(ticks.size(), c.nTargets);
    // The Poll that ends the sweep may start the next one when a probe is due as well.
    ExpectWindowBound(ticks, static_cast<size_t>(c.iRate));
    to.resize(c.nTargets);
    ticks.resize(c.nTargets);
    for (size_t i = 0; i < to.size(); ++i) ASSERT_EQ(to[i].dwAddress, Ip(10, 203, 0, 1) + i) << "every address once";
    ExpectWindowBound(ticks, static_cast<size_t>(c.iRate));
    const uint32_t dwTook = ticks.back() - ticks.front();
    const uint32_t dwIdeal = static_cast<uint32_t>((c.nTargets - 1) * 1000 / c.iRate);
    EXPECT_GE(dwTook, dwIdeal);
    EXPECT_LE(dwTook, dwIdeal + c.dwStepMs) << "no slower than the Polls allow";
  }
}

TEST_F(KestoFinderDestinationsTest, ALatePollCatchesUpWithinTheBound) {
  KestoDestinations destinations = Sweep(Ip(10, 203, 0, 1), 3000);
  MakeFinder(0, destinations, 1000);
  finder->SendProbe();
  TakeSent();
  clock.Advance(5000);  // a long stall, e.g. a modal loop
  std::vector<uint32_t> ticks;
  for (int i = 0; i < 100; ++i) {
    finder->Poll();
    for (const auto& endpoint : TakeSent())
      if (endpoint != kLimited && endpoint != kEth1Broadcast) ticks.push_back(clock.Now());
    clock.Advance(1);
  }
  // Nearly all 3000 slots are overdue, but the next second still holds at most 1000.
  EXPECT_EQ(ticks.size(), 1000u);
  EXPECT_GE(ticks.back() - ticks.front(), 1000u / 64) << "in batches of at most 64";
  ExpectWindowBound(ticks, 1000);
}

TEST_F(KestoFinderDestinationsTest, ASweepRestartsAtAProbeOnlyOnceTheLastOneFinished) {
  KestoDestinations destinations = Sweep(Ip(10, 203, 0, 1), 2500);
  destinations.bLimitedBroadcast = destinations.bEveryAdapter = false;
  MakeFinder(0, destinations, 1000);
  std::vector<uint32_t> firstSlotTicks;
  for (int i = 0; i < 10000; ++i) {  // 10 s of 1-ms Polls
    clock.Advance(1);
    finder->Poll();
    for (const auto& endpoint : TakeSent())
      if (endpoint.dwAddress == Ip(10, 203, 0, 1)) firstSlotTicks.push_back(clock.Now());
  }
  // The first probe at 1001 ms, the sweep ends 2.5 s later, the next probe after that restarts it.
  ASSERT_GE(firstSlotTicks.size(), 3u);
  EXPECT_EQ(firstSlotTicks[0], 1001u);
  for (size_t i = 1; i < firstSlotTicks.size(); ++i) {
    EXPECT_GE(firstSlotTicks[i] - firstSlotTicks[i - 1], 2500u);
    EXPECT_LE(firstSlotTicks[i] - firstSlotTicks[i - 1], 2500u + 1001u);
  }
  // The sweep of 2500 comes round every 3 probe intervals; the age limit covers that and one more.
  EXPECT_EQ(finder->GetAgeLimitMs(), 4000u);
  for (int i = 0; i < 5000 && !finder->IsSweeping(); ++i) {
    clock.Advance(1);
    finder->Poll();
  }
  ASSERT_TRUE(finder->IsSweeping());
  EXPECT_EQ(finder->SendProbe(), 0) << "a sweep under way and no broadcast: nothing due";

  // A new target list replaces the sweep under way at the next probe.
  finder->SetDestinations(Sweep(Ip(10, 204, 0, 1), 3));
  clock.Advance(1001);
  finder->Poll();
  const auto sent = TakeSent();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(std::count(sent.begin(), sent.end(), platform::Ipv4Endpoint{Ip(10, 204, 0, 1), 1444}), 1);
  EXPECT_EQ(finder->GetSweepSize(), 3u);
}

TEST_F(KestoFinderDestinationsTest, AFullSendBufferDelaysTheSweepInsteadOfBlocking) {
  KestoDestinations destinations = Sweep(Ip(10, 203, 0, 1), 100);
  destinations.bLimitedBroadcast = destinations.bEveryAdapter = false;
  MakeFinder(0, destinations, 1000);
  pSocket->iNoWaitRoom = 5;
  finder->SendProbe();
  for (int i = 0; i < 20; ++i) {
    clock.Advance(1);
    finder->Poll();
  }
  EXPECT_EQ(finder->GetSweepSent(), 5u) << "the rest waits for room";
  EXPECT_EQ(TakeSent().size(), 5u);
  pSocket->iNoWaitRoom = -1;  // the buffer drains
  for (int i = 0; i < 200 && finder->IsSweeping(); ++i) {
    clock.Advance(1);
    finder->Poll();
  }
  const auto sent = TakeSent();
  ASSERT_EQ(sent.size(), 95u);
  EXPECT_EQ(sent.front().dwAddress, Ip(10, 203, 0, 6)) << "no address is skipped";
  EXPECT_EQ(sent.back().dwAddress, Ip(10, 203, 0, 100));

  // Broadcasts meeting a full buffer count as failed sends and do not wait either.
  MakeFinder();
  nTaken = 0;
  pSocket->iNoWaitRoom = 0;
  EXPECT_EQ(finder->SendProbe(), -1);
  EXPECT_EQ(finder->SendConfig(MakeRecord(1)), -1);
  EXPECT_TRUE(TakeSent().empty());
}

TEST_F(KestoFinderDestinationsTest, TheAgeLimitGrowsWithTheSweep) {
  struct Case {
    size_t nTargets;
    int iRate;
    uint32_t dwLimit;
  };
  const Case cases[] = {{0, 1000, 2000},    {1, 1000, 2000},    {1000, 1000, 2000}, {1001, 1000, 3000},
                        {4096, 1000, 6000}, {4096, 4096, 2000}, {300, 100, 4000},   {10, 1, 11000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.nTargets << " at " << c.iRate);
    MakeFinder(0, Sweep(Ip(10, 203, 0, 1), c.nTargets), c.iRate);
    EXPECT_EQ(finder->GetAgeLimitMs(), c.dwLimit);
  }
  EXPECT_EQ(CKestoFinder::SweepDurationMs(4096, 1000), 4096u);
  EXPECT_EQ(CKestoFinder::SweepDurationMs(1, 3), 334u);
  EXPECT_EQ(CKestoFinder::SweepDurationMs(0, 1000), 0u);
}

TEST_F(KestoFinderDestinationsTest, RemoveAgedUsesTheSweepsAgeLimit) {
  MakeFinder(0xFFFFF000u, Sweep(Ip(10, 203, 0, 1), 2500));
  ASSERT_EQ(finder->GetAgeLimitMs(), 4000u);
  pSocket->Queue(RecordBytes(MakeRecord(1)));
  finder->Receive();
  ASSERT_EQ(finder->GetDevices().GetCount(), 1);
  finder->RemoveAged(clock.Now() + 4000);
  clock.Advance(4000);
  finder->RemoveAged();
  EXPECT_EQ(finder->GetDevices().GetCount(), 1) << "4000 ms of silence is still within the limit";
  clock.Advance(1);
  finder->RemoveAged();
  EXPECT_EQ(finder->GetDevices().GetCount(), 0);

  MakeFinder();  // no targets: the plain two seconds
  pSocket->Queue(RecordBytes(MakeRecord(1)));
  finder->Receive();
  finder->RemoveAged(2000);
  EXPECT_EQ(finder->GetDevices().GetCount(), 1);
  finder->RemoveAged(2001);
  EXPECT_EQ(finder->GetDevices().GetCount(), 0);
}

TEST_F(KestoFinderDestinationsTest, ASweepOfTheLinksOwnUnusedAddressesNeverHoldsUpProbesOrSettings) {
  // A sweep over eth0's own /24, where nobody answers address resolution: the OS keeps
  // every datagram to those addresses charged to the socket (the buffer never drains).
  KestoDestinations destinations = Sweep(Ip(10, 202, 1, 2), 253);
  MakeFinder(0, destinations, 1000);
  pSocket->lSendBufferBytes = 212992;
  pSocket->dwHeldNet = Ip(10, 202, 1, 0);
  pSocket->dwHeldMask = PrefixMask(24);
  const KESTO_RECORD onLink = MakeRecord(1);   // answers every broadcast probe
  const KESTO_RECORD behind = MakeRecord(2);   // answers its own unicast probe only
  size_t nProbes = 0;
  std::vector<platform::Ipv4Endpoint> configs;
  for (uint32_t dwTick = 1; dwTick <= 10000; ++dwTick) {
    clock.Advance(1);
    finder->Poll();
    for (const auto& endpoint : TakeSent()) {
      if (endpoint == kLimited) {
        ++nProbes;
        pSocket->Queue(RecordBytes(onLink));
      } else if (endpoint.dwAddress == Ip(10, 202, 1, 2)) {
        pSocket->Queue(RecordBytes(behind), {endpoint.dwAddress, 1444});
      }
    }
    if (dwTick == 5000) {
      EXPECT_GE(finder->SendConfig(onLink), 0);
      configs = TakeSent(kesto_wire::kSetConfigSize);
    }
    finder->RemoveAged();
    // Both answered the first probe (one read per Poll); from then on both stay.
    if (dwTick > 1010) {
      ASSERT_EQ(finder->GetDevices().GetCount(), 2) << "a device aged out at " << dwTick;
    }
  }
  EXPECT_EQ(nProbes, 9u) << "one probe every interval: 1001, 2002, ... 9009 ms";
  // The limited broadcast, eth1's, and the address the device answered from: every way went out.
  EXPECT_EQ(configs.size(), 3u);
  EXPECT_EQ(configs.front(), kLimited);
  EXPECT_LT(pSocket->ulUnsent, 212992u / 2) << "the sweep kept to its share of the buffer";
  EXPECT_LT(finder->GetSweepSent(), 253u);
  EXPECT_TRUE(finder->IsSweepBehind());
  EXPECT_GT(finder->GetAgeLimitMs(), 9000u) << "ageing follows the sweep's real progress";

  // The OS gives up on the addresses and frees the buffer: the round completes and ends.
  pSocket->DrainHeld();
  pSocket->dwHeldMask = 0xFFFFFFFFu;
  for (int i = 0; i < 1000 && finder->IsSweeping(); ++i) {
    clock.Advance(1);
    finder->Poll();
  }
  EXPECT_FALSE(finder->IsSweeping());
  EXPECT_EQ(finder->GetSweepSent(), 253u);
  EXPECT_FALSE(finder->IsSweepBehind());
}

}  // namespace

namespace {

constexpr platform::Ipv4Endpoint kDevice{Ip(10, 202, 1, 20), 1444};
constexpr platform::Ipv4Endpoint kSpoofer{Ip(10, 202, 1, 66), 1444};

std::vector<platform::Ipv4Endpoint> EndpointsOf(const std::vector<KestoSender>& senders) {
  std::vector<platform::Ipv4Endpoint> endpoints;
  for (const KestoSender& sender : senders) endpoints.push_back(sender.endpoint);
  return endpoints;
}

}  // namespace

TEST_F(KestoFinderDestinationsTest, EverySenderOfAMacIsKeptAndSentTheSettings) {
  MakeFinder();
  const KESTO_RECORD record = MakeRecord(7);
  KESTO_RECORD claimed = record;
  SetRecordName(claimed, "spoofed");
  pSocket->Queue(RecordBytes(record), kDevice);
  pSocket->Queue(RecordBytes(claimed), kSpoofer);
  finder->Receive();
  finder->Receive();
  const auto& senders = finder->GetSenders(record.byMAC);
  ASSERT_EQ(EndpointsOf(senders), (std::vector<platform::Ipv4Endpoint>{kDevice, kSpoofer}));
  EXPECT_EQ(senders[0].record, record) << "each address keeps what it said";
  EXPECT_EQ(senders[1].record, claimed);
  EXPECT_EQ(finder->FindByMAC(record)->GetRecord(), claimed) << "the entry holds the latest answer";

  // No targets are needed: both addresses get the datagram besides the broadcasts.
  std::vector<platform::Ipv4Endpoint> direct;
  EXPECT_EQ(finder->SendConfig(record, &direct), 104);
  EXPECT_EQ(TakeSent(104), (std::vector<platform::Ipv4Endpoint>{kLimited, kEth1Broadcast, kDevice, kSpoofer}));
  EXPECT_EQ(direct, (std::vector<platform::Ipv4Endpoint>{kDevice, kSpoofer}));
  // An address the send did not reach is not reported as sent to.
  pSocket->failTo = {kSpoofer.dwAddress};
  finder->SendConfig(record, &direct);
  EXPECT_EQ(direct, (std::vector<platform::Ipv4Endpoint>{kDevice}));
}

TEST_F(KestoFinderDestinationsTest, ASenderThatIsABroadcastEndpointGetsOneDatagram) {
  // A simulator on loopback answers from the very address probed.
  const platform::Ipv4Endpoint sim{platform::kLoopback, 14440};
  MakeFinder(0, {}, 1000, sim);
  pSocket->Queue(RecordBytes(MakeRecord(3)), sim);
  finder->Receive();
  std::vector<platform::Ipv4Endpoint> direct;
  finder->SendConfig(MakeRecord(3), &direct);
  EXPECT_EQ(TakeSent(104), (std::vector<platform::Ipv4Endpoint>{sim}));
  EXPECT_EQ(direct, (std::vector<platform::Ipv4Endpoint>{sim}));
}

TEST_F(KestoFinderDestinationsTest, SendersExpireByTheAgeRuleAcrossTheTickWrap) {
  struct Case {
    uint32_t dwSilentMs;  // since the spoofer's one answer
    bool bByRemoveAged;   // otherwise at the device's next answer
    bool bKept;
  };
  const Case cases[] = {{2000, true, true}, {2001, true, false}, {2000, false, true}, {2001, false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dwSilentMs << (c.bByRemoveAged ? " RemoveAged" : " Receive"));
    MakeFinder(0xFFFFFC00u);  // the silence crosses the wrap
    const KESTO_RECORD record = MakeRecord(7);
    pSocket->Queue(RecordBytes(record), kSpoofer);
    pSocket->Queue(RecordBytes(record), kDevice);
    finder->Receive();
    finder->Receive();
    clock.Advance(1000);  // the device keeps answering, the spoofer does not
    pSocket->Queue(RecordBytes(record), kDevice);
    finder->Receive();
    const uint64_t nChanges = finder->GetSenderChanges();
    clock.Advance(c.dwSilentMs - 1000);
    if (c.bByRemoveAged) {
      finder->RemoveAged(clock.Now(), AGE_LIMIT_MS);
    } else {
      pSocket->Queue(RecordBytes(record), kDevice);
      finder->Receive();
    }
    ASSERT_NE(finder->FindByMAC(record), nullptr);
    const std::vector<platform::Ipv4Endpoint> expected =
        c.bKept ? std::vector<platform::Ipv4Endpoint>{kSpoofer, kDevice} : std::vector<platform::Ipv4Endpoint>{kDevice};
    EXPECT_EQ(EndpointsOf(finder->GetSenders(record.byMAC)), expected);
    EXPECT_EQ(finder->GetSenderChanges() - nChanges, c.bKept ? 0u : 1u);
  }
}

TEST_F(KestoFinderDestinationsTest, SendersPerMacAreBoundedAndTheExcessCounted) {
  MakeFinder();
  const KESTO_RECORD record = MakeRecord(7);
  for (uint32_t i = 0; i < 11; ++i) pSocket->Queue(RecordBytes(record), {Ip(10, 202, 1, 100 + i), 1444});
  pSocket->Queue(RecordBytes(record), {Ip(10, 202, 1, 100), 1444});  // a kept one renews, uncounted
  pSocket->Queue(RecordBytes(MakeRecord(8)), kDevice);               // another MAC is not limited by it
  while (pSocket->Waiting() > 0) finder->Receive();
  const auto& senders = finder->GetSenders(record.byMAC);
  ASSERT_EQ(senders.size(), 8u);
  EXPECT_EQ(senders.back().endpoint, (platform::Ipv4Endpoint{Ip(10, 202, 1, 107), 1444}));
  EXPECT_EQ(finder->GetRefusedSenders(record.byMAC), 3u);
  EXPECT_EQ(finder->GetRefusedSenders(), 3u);
  EXPECT_EQ(finder->GetSenders(MakeRecord(8).byMAC).size(), 1u);
  std::vector<platform::Ipv4Endpoint> direct;
  finder->SendConfig(record, &direct);
  EXPECT_EQ(direct.size(), 8u) << "the set goes to the kept addresses only";
  // Once the kept ones fall silent, a new address gets a place.
  clock.Advance(2001);
  pSocket->Queue(RecordBytes(record), {Ip(10, 202, 1, 200), 1444});
  finder->Receive();
  EXPECT_EQ(EndpointsOf(finder->GetSenders(record.byMAC)),
            (std::vector<platform::Ipv4Endpoint>{{Ip(10, 202, 1, 200), 1444}}));
}
