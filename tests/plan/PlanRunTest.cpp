#include "plan/PlanRun.h"

#include <gtest/gtest.h>

#include <set>

#include "plan/ApplyReport.h"

namespace {

// A scripted run: step i is confirmed at tick confirmAt[i] (or never, ~0u),
// refused when it is in refuse. Counts the steps awaiting at once.
TEST(PlanRunTest, BoundsWhatAwaitsAndSettlesEveryStep) {
  struct Case {
    const char* pszWhat;
    size_t nParallel;
    std::vector<uint32_t> confirmAt;
    std::set<size_t> refuse;
    std::vector<DeviceOutcome> outcomes;
  };
  constexpr uint32_t kNever = ~0u;
  using O = DeviceOutcome;
  const Case cases[] = {
      {"all confirmed, two at a time", 2, {10, 10, 20, 30, 30}, {}, {O::kConfirmed, O::kConfirmed, O::kConfirmed,
                                                                    O::kConfirmed, O::kConfirmed}},
      {"one never answers", 3, {10, kNever, 10}, {}, {O::kConfirmed, O::kNotConfirmed, O::kConfirmed}},
      {"one refused, the rest go on", 1, {10, 10, 10}, {1}, {O::kConfirmed, O::kRefused, O::kConfirmed}},
  };
  for (const Case& c : cases) {
    CPlanRun run(c.confirmAt.size(), c.nParallel, 100);
    std::vector<uint32_t> sentAt(c.confirmAt.size(), kNever);
    uint32_t dwNow = 0xFFFFFF00u;  // the tick wraps during the run
    size_t nMostAwaiting = 0;
    for (int nPass = 0; nPass < 1000 && !run.IsDone(); ++nPass, dwNow += 5) {
      run.Pump(
          dwNow,
          [&](size_t i) -> std::string {
            if (c.refuse.count(i) > 0) return "no way out";
            sentAt[i] = dwNow;
            return {};
          },
          [&](size_t i) { return c.confirmAt[i] != kNever && dwNow - sentAt[i] >= c.confirmAt[i]; });
      nMostAwaiting = std::max(nMostAwaiting, run.AwaitingCount());
    }
    ASSERT_TRUE(run.IsDone()) << c.pszWhat;
    EXPECT_LE(nMostAwaiting, c.nParallel) << c.pszWhat;
    for (size_t i = 0; i < c.outcomes.size(); ++i) EXPECT_EQ(run.Outcome(i), c.outcomes[i]) << c.pszWhat << " #" << i;
    for (size_t i : c.refuse) EXPECT_EQ(run.Reason(i), "no way out");
  }
}

TEST(PlanRunTest, StopLeavesTheRestNotSent) {
  CPlanRun run(5, 2, 100);
  run.Pump(0, [](size_t) { return std::string(); }, [](size_t) { return false; });
  run.Stop();
  EXPECT_TRUE(run.IsDone());
  EXPECT_EQ(run.Outcome(0), DeviceOutcome::kNotConfirmed);
  EXPECT_EQ(run.Outcome(1), DeviceOutcome::kNotConfirmed);
  EXPECT_EQ(run.Outcome(4), DeviceOutcome::kNotSent);
}

TEST(ApplyReportTest, OneLinePerDeviceAndACount) {
  std::vector<ReportLine> lines(4);
  for (size_t i = 0; i < lines.size(); ++i) lines[i].mac = {0x02, 0, 0, 0, 0, static_cast<uint8_t>(i + 1)};
  lines[0] = {lines[0].mac, "Caf\xE9", DeviceOutcome::kConfirmed, ""};
  lines[1] = {lines[1].mac, "\x1B[31m", DeviceOutcome::kNotConfirmed, ""};
  lines[2] = {lines[2].mac, "", DeviceOutcome::kNotFound, ""};
  lines[3] = {lines[3].mac, "x", DeviceOutcome::kRefused, "send failed"};
  EXPECT_EQ(FormatReport(lines),
            "MAC Address        Name      Result\n"
            "02-00-00-00-00-01  Caf\xC3\xA9      confirmed\n"
            "02-00-00-00-00-02  \\x1b[31m  not confirmed\n"
            "02-00-00-00-00-03            not found\n"
            "02-00-00-00-00-04  x         refused: send failed\n"
            "4 devices: 1 confirmed, 1 not confirmed, 1 not found, 1 refused\n");
  const DeviceJson json = ReportToJson(lines);
  EXPECT_EQ(json[0]["name"], "Caf\xC3\xA9");
  EXPECT_EQ(json[3]["result"], "refused");
  EXPECT_EQ(json[3]["reason"], "send failed");
  EXPECT_FALSE(json[1].contains("reason"));
}

}  // namespace
