#include "app/logic/PollingLoop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Runs the loop over a script of "events waiting?" answers and logs each step.
std::string RunScript(const std::vector<bool>& eventsWaiting, int iQuitAfterPasses) {
  std::string log;
  size_t iTurn = 0;
  int nPasses = 0;
  CPollingLoop::Run({[&] {
                       log += "?";
                       return nPasses >= iQuitAfterPasses;
                     },
                     [&] {
                       const bool bWaiting = iTurn < eventsWaiting.size() && eventsWaiting[iTurn];
                       ++iTurn;
                       log += bWaiting ? "E" : "";
                       return bWaiting;
                     },
                     [&](int iMs) { log += "W" + std::to_string(iMs); },
                     [&] {
                       log += "P";
                       ++nPasses;
                     }});
  return log;
}

TEST(PollingLoopTest, OnePassAfterEveryEventBatchAndAfterEveryPause) {
  const struct {
    std::vector<bool> events;
    int iPasses;
    const char* pszLog;
  } cases[] = {
      {{}, 0, "?"},                      // quit already raised: no turn at all
      {{false, false}, 2, "?W10P?W10P?"},  // idle: a 10 ms pause, never more
      {{true, true, false}, 3, "?EP?EP?W10P?"},
      {{true, false, true}, 3, "?EP?W10P?EP?"},
  };
  for (const auto& c : cases) EXPECT_EQ(RunScript(c.events, c.iPasses), c.pszLog);
}

}  // namespace
