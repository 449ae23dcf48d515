#include <gtest/gtest.h>

#include <vector>

#include "discovery/KestoFinder.h"
#include "support/FakeClock.h"
#include "support/LoopbackPeer.h"
#include "support/RecordBuilder.h"

namespace {

// The finder against a fake device over real loopback sockets; the clock is virtual.
class KestoFinderLoopbackTest : public ::testing::Test {
 protected:
  KestoFinderLoopbackTest() {
    KestoFinderOptions options;
    options.pTicks = &clock;
    options.endpTarget = device.Endpoint();
    finder = std::make_unique<CKestoFinder>(options);
  }

  // The device waits for the probe and returns where it came from.
  platform::Ipv4Endpoint ProbeAndCatch() {
    clock.Advance(1001);
    finder->Poll();
    std::vector<uint8_t> bytes;
    platform::Ipv4Endpoint from;
    EXPECT_TRUE(device.Receive(&bytes, &from));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{4, 0, 0, 0, 0, 0, 0, 0}));
    return from;
  }

  // Takes waiting datagrams one per Receive until n were read (bounded by time).
  void ReceiveDatagrams(int n) {
    for (int i = 0; i < n; ++i) {
      ASSERT_TRUE(finder->WaitForAnswer(2000)) << "datagram " << i << " never arrived";
      finder->Receive();
    }
  }

  size_t Count() const { return static_cast<size_t>(finder->GetDevices().GetCount()); }

  FakeClock clock{1000};
  LoopbackPeer device;
  std::unique_ptr<CKestoFinder> finder;
};

TEST_F(KestoFinderLoopbackTest, AnswersToTheProbesSourceAreTaken) {
  ASSERT_TRUE(finder->IsSocketOpen()) << finder->GetSocketError();
  const platform::Ipv4Endpoint client = ProbeAndCatch();
  device.Send(RecordBytes(MakeRecord(1)), client);
  device.Send(RecordBytes(MakeRecord(2)), client);
  device.Send(RecordBytes(MakeRecord(1)), client);
  ReceiveDatagrams(3);
  ASSERT_EQ(Count(), 2u);
  auto* pFirst = static_cast<CKestoInfo*>(finder->GetDevices().GetHead());
  EXPECT_EQ(pFirst->GetRecord(), MakeRecord(1));
  EXPECT_EQ(pFirst->bChanged, 0);
}

TEST_F(KestoFinderLoopbackTest, WrongLengthsAreDroppedAndLaterAnswersStillTaken) {
  const platform::Ipv4Endpoint client = ProbeAndCatch();
  const size_t lengths[] = {0, 99, 101, 1500, 8, 104};
  for (size_t n : lengths) device.Send(std::vector<uint8_t>(n, 0x77), client);
  device.Send(RecordBytes(MakeRecord(5)), client);
  ReceiveDatagrams(static_cast<int>(std::size(lengths)));
  EXPECT_EQ(Count(), 0u);
  EXPECT_EQ(finder->GetDroppedDatagrams(), std::size(lengths));
  ReceiveDatagrams(1);
  EXPECT_EQ(Count(), 1u);
  EXPECT_FALSE(finder->WaitForAnswer(0));
}

TEST_F(KestoFinderLoopbackTest, SetConfigReachesTheDeviceByteForByte) {
  KESTO_RECORD record = MakeRecord(3, "lab");
  record.byReserved2[0] = 0xEE;
  EXPECT_EQ(finder->SendConfig(record), 104);
  std::vector<uint8_t> bytes;
  platform::Ipv4Endpoint from;
  ASSERT_TRUE(device.Receive(&bytes, &from));
  ASSERT_EQ(bytes.size(), 104u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4), (std::vector<uint8_t>{7, 0, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 4, bytes.end()), RecordBytes(record));
}

TEST_F(KestoFinderLoopbackTest, BurstOfAnswersFitsTheReceiveBuffer) {
  const platform::Ipv4Endpoint client = ProbeAndCatch();
  constexpr int kDevices = 2000;  // about 1.2 MB of kernel buffer at Linux's per-datagram cost
  for (int i = 0; i < kDevices; ++i) device.Send(RecordBytes(MakeRecord(static_cast<uint32_t>(i))), client);
  while (finder->WaitForAnswer(200)) finder->Receive();
  EXPECT_GE(Count(), static_cast<size_t>(kDevices) * 9 / 10);
}

}  // namespace
