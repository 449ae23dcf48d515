#include "tools/sim/DeviceSimulator.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "discovery/KestoWire.h"
#include "support/FakeClock.h"
#include "support/FakeDatagramSocket.h"
#include "support/RecordBuilder.h"

namespace {

std::vector<KESTO_RECORD> Devices(uint32_t nCount) {
  std::vector<KESTO_RECORD> devices;
  for (uint32_t i = 0; i < nCount; ++i) devices.push_back(MakeRecord(i + 1));
  return devices;
}

struct SimFixture {
  explicit SimFixture(SimulatorOptions options, uint32_t nDevices = 10) {
    options.pTicks = &clock;
    sim = std::make_unique<CDeviceSimulator>(Devices(nDevices), options, socket, log);
  }
  // One discovery request from that address; returns the datagrams it drew.
  size_t Ask(uint32_t dwFrom) {
    uint8_t byRequest[kesto_wire::kDiscoverSize];
    kesto_wire::EncodeDiscover(byRequest);
    const size_t nBefore = socket.sent.size();
    sim->Handle(byRequest, sizeof byRequest, {dwFrom, 1444});
    for (size_t i = nBefore; i < socket.sent.size(); ++i) EXPECT_EQ(socket.sent[i].to.dwAddress, dwFrom);
    return socket.sent.size() - nBefore;
  }
  FakeClock clock{0xFFFFFF00u};  // the bound holds across the tick wrap
  FakeDatagramSocket socket;
  std::ostringstream log;
  std::unique_ptr<CDeviceSimulator> sim;
};

SimulatorOptions Rate(uint32_t dwPerSecond, size_t nMaxSources = 256) {
  SimulatorOptions options;
  options.dwPerSourceRate = dwPerSecond;
  options.nMaxSources = nMaxSources;
  return options;
}

// Answers to one source, request after request, as the clock moves: each source
// gets at most the rate a second, a second's worth at once at the most.
TEST(DeviceSimulatorTest, AnswersToOneSourceStayWithinItsRate) {
  struct Step {
    uint32_t dwAdvanceMs;
    uint32_t dwFrom;
    size_t nExpected;
  };
  const Step steps[] = {
      {0, 0x0A000001, 10},   // 10 devices, a budget of 25 a second
      {0, 0x0A000001, 10},
      {0, 0x0A000001, 5},    // the budget spent
      {0, 0x0A000001, 0},
      {0, 0x0A000002, 10},   // another source has its own
      {200, 0x0A000001, 5},  // 200 ms bring back 5
      {5000, 0x0A000001, 10},
      {0, 0x0A000001, 10},
      {0, 0x0A000001, 5},    // a long silence still gives no more than one second's worth
  };
  SimFixture f(Rate(25));
  for (size_t i = 0; i < std::size(steps); ++i) {
    f.clock.Advance(steps[i].dwAdvanceMs);
    EXPECT_EQ(f.Ask(steps[i].dwFrom), steps[i].nExpected) << "step " << i;
  }
  EXPECT_NE(f.log.str().find("answered 5 dropped 0 limited 5"), std::string::npos) << f.log.str();
}

TEST(DeviceSimulatorTest, RateZeroAnswersEveryRequestInFull) {
  SimFixture f(Rate(0), 300);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(f.Ask(0x0A000001), 300u);
  EXPECT_EQ(f.sim->Budget().TrackedSources(), 0u);
}

// Forged sources by the thousand: the table stays at its bound, the surplus gets
// nothing and is counted, and a source quiet for a second makes room again.
TEST(DeviceSimulatorTest, SourceTableIsBounded) {
  SimFixture f(Rate(25, 4));
  size_t nAnswered = 0;
  for (uint32_t i = 0; i < 1000; ++i) nAnswered += f.Ask(0xC0A80000u + i);
  EXPECT_EQ(nAnswered, 4u * 10);
  EXPECT_EQ(f.sim->Budget().TrackedSources(), 4u);
  EXPECT_EQ(f.sim->Budget().RefusedSources(), 996u);
  f.clock.Advance(1000);
  EXPECT_EQ(f.Ask(0x0A0000FF), 10u);
  EXPECT_LE(f.sim->Budget().TrackedSources(), 4u);
}

// Back to back sends the very datagrams the paced answer sends, in its order,
// junk included; the bound applies the same.
TEST(DeviceSimulatorTest, BurstSendsWhatThePacedAnswerSends) {
  for (const uint32_t dwRate : {0u, 7u}) {
    SimulatorOptions paced = Rate(dwRate), burst = Rate(dwRate);
    paced.bJunk = burst.bJunk = true;
    burst.bBurst = true;
    SimFixture a(paced, 10), b(burst, 10);
    a.Ask(0x0A000001);
    b.Ask(0x0A000001);
    ASSERT_EQ(a.socket.sent.size(), b.socket.sent.size()) << dwRate;
    for (size_t i = 0; i < a.socket.sent.size(); ++i) EXPECT_EQ(a.socket.sent[i].bytes, b.socket.sent[i].bytes) << i;
    EXPECT_EQ(a.log.str(), b.log.str());
  }
}

}  // namespace
