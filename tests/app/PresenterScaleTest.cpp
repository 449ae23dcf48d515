// The pass under load: every waiting answer taken within the pass's time bound,
// marks kept up only for the rows a change touches, and a full list said so.
#include <gtest/gtest.h>

#include <string>

#include "tests/app/PresenterFixture.h"

namespace {

constexpr uint32_t kShared = 0x0B000001u;  // 11.0.0.1, no other device's

KESTO_RECORD Device(uint32_t dwId, uint32_t dwIP = 0) {
  KESTO_RECORD record = MakeRecord(dwId);
  if (dwIP != 0) record.dwIPAddress = dwIP;
  return record;
}

TEST_F(PresenterTest, OnePassTakesEveryWaitingAnswer) {
  for (uint32_t i = 1; i <= 3000; ++i) Answer(Device(i));
  presenter->PollDevices();
  EXPECT_EQ(pSocket->Waiting(), 0u);
  EXPECT_EQ(presenter->GetRowCount(), 3000);
  EXPECT_EQ(view.all.size(), 3000u);
}

TEST_F(PresenterTest, APassStopsReadingOnceItsTimeIsUpAndTheNextGoesOn) {
  // Every read takes 1 ms: a pass may read for 10 ms, looking at the clock every few reads.
  pSocket->pClockPerRead = &clock;
  for (uint32_t i = 1; i <= 200; ++i) Answer(Device(i));
  presenter->PollDevices();
  const size_t nFirst = 200 - pSocket->Waiting();
  EXPECT_GT(nFirst, 1u) << "more than the one answer Poll reads";
  EXPECT_LE(nFirst, CQUORINPresenter::kMaxReadMsPerPass + CQUORINPresenter::kReadsPerClockLook + 1);
  int nPasses = 1;
  while (pSocket->Waiting() > 0 && nPasses < 100) {
    presenter->PollDevices();
    ++nPasses;
  }
  EXPECT_EQ(pSocket->Waiting(), 0u);
  EXPECT_EQ(presenter->GetRowCount(), 200) << "none lost, none aged out in " << nPasses << " passes";
}

// Each step is one pass; the view must hear of exactly the flags that flipped.
struct MarkStep {
  const char* pszWhat;
  uint32_t dwId;     // the device that answers (0: nobody, time passes)
  uint32_t dwIP;     // its address in that answer
  int nMarkCalls;    // SetRowMarks calls in the pass
  int nWarnings;     // rows with the warning icon afterwards
};

TEST_F(PresenterTest, MarksFollowOnlyTheRowsAChangeTouches) {
  // 500 devices, each on its own address, plus devices 1001-1003 as above.
  for (uint32_t i = 1; i <= 500; ++i) Answer(Device(i));
  PassUntilRead();
  const MarkStep steps[] = {
      {"a first device at the shared address", 1001, kShared, 0, 0},
      {"a second: both flip", 1002, kShared, 2, 2},
      {"a third: only it", 1003, kShared, 1, 3},
      {"device 7 moves there: only it", 7, kShared, 1, 4},
      {"device 7 moves away again: only it", 7, 0x0A000007u, 1, 3},
      {"the same answer again: nothing", 1003, kShared, 0, 3},
  };
  for (const MarkStep& step : steps) {
    SCOPED_TRACE(step.pszWhat);
    const int nBefore = view.nMarks;
    Answer(Device(step.dwId, step.dwIP));
    presenter->PollDevices();
    EXPECT_EQ(view.nMarks - nBefore, step.nMarkCalls);
    int nWarnings = 0;
    for (const auto& item : view.all) nWarnings += item.bWarning ? 1 : 0;
    EXPECT_EQ(nWarnings, step.nWarnings);
  }
  // 1003 leaves (three sharers become two: nothing flips), then 1002 (the last one clears).
  const struct {
    const char* pszWhat;
    uint32_t dwSilent;
    int nMarkCalls;
    int nWarnings;
  } departures[] = {{"1003 leaves", 1003, 0, 2}, {"1002 leaves", 1002, 1, 0}};
  for (const auto& departure : departures) {
    SCOPED_TRACE(departure.pszWhat);
    const int nBefore = view.nMarks;
    // Everyone but the leaver answers for 2.1 s.
    for (int i = 0; i < 3; ++i) {
      clock.Advance(700);
      for (uint32_t id = 1; id <= 500; ++id) Answer(Device(id));
      for (uint32_t id = 1001; id <= 1003; ++id)
        if (id < departure.dwSilent) Answer(Device(id, kShared));
      presenter->PollDevices();
    }
    EXPECT_EQ(view.nMarks - nBefore, departure.nMarkCalls);
    int nWarnings = 0;
    for (const auto& item : view.all) nWarnings += item.bWarning ? 1 : 0;
    EXPECT_EQ(nWarnings, departure.nWarnings);
  }
  EXPECT_EQ(view.Get(Device(1001)).sToolTip.find("also used by"), std::string::npos);
}

TEST_F(PresenterTest, ATooltipOfManySharersNamesAFewAndCountsTheRest) {
  for (uint32_t i = 1; i <= 1000; ++i) Answer(Device(i, kShared));
  presenter->PollDevices();
  EXPECT_EQ(view.nMarks, 1000) << "each row's icon set once";
  const std::string sToolTip = presenter->GetRowToolTip(Device(1));
  EXPECT_EQ(sToolTip.rfind("IP address 11.0.0.1 is also used by 00-1A-00-00-00-02, ", 0), 0u) << sToolTip;
  EXPECT_NE(sToolTip.find(" (+991 more)"), std::string::npos) << sToolTip;
}

TEST_F(PresenterTest, AFullListIsShownAndTheSelectedDeviceIsNeverLockedOut) {
  nMaxEntries = 3;
  Start();
  for (uint32_t i = 1; i <= 5; ++i) Answer(Device(i));
  presenter->PollDevices();
  EXPECT_EQ(presenter->GetRowCount(), 3);
  EXPECT_EQ(view.sStatus, "List full (3 devices): 2 new devices refused");

  // The user selects device 1 (the bottom row); its answers are then lost for 2.1 s
  // while a flood of new MACs keeps the list full.
  view.iSelected = 2;
  presenter->PollDevices();
  for (int i = 0; i < 3; ++i) {
    clock.Advance(700);
    for (uint32_t id = 2; id <= 3; ++id) Answer(Device(id));
    for (uint32_t id = 100; id < 110; ++id) Answer(Device(id));
    presenter->PollDevices();
  }
  ASSERT_EQ(presenter->GetRowCount(), 2);
  view.iSelected = -1;  // its row went, and the selection with it
  for (uint32_t id = 100; id < 110; ++id) Answer(Device(id));  // the flood fills the gap
  presenter->PollDevices();
  ASSERT_EQ(presenter->GetRowCount(), 3);
  Answer(Device(1));
  Answer(Device(200));
  presenter->PollDevices();
  EXPECT_EQ(presenter->GetRowCount(), 4) << "device 1 came back beyond the cap; 200 was refused";
  EXPECT_EQ(view.Get(Device(1)).texts[1], "00-1A-00-00-00-01");
  EXPECT_EQ(finder->GetRefusedDevices(), 2u + 30u + 9u + 1u);
  EXPECT_EQ(view.sStatus, "List full (3 devices): 42 new devices refused");

  // Once there is room again the line says what happened.
  clock.Advance(2100);
  presenter->PollDevices();
  EXPECT_EQ(presenter->GetRowCount(), 0);
  EXPECT_EQ(view.sStatus, "42 new devices refused while the list was full");
}

}  // namespace
