// What became of "Set Configuration": sent, confirmed, not confirmed, not sent.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/logic/ApplyTracker.h"
#include "plan/ChangeLog.h"
#include "platform/UdpSocket.h"
#include "support/LoopbackSocket.h"
#include "tests/app/PresenterFixture.h"

namespace {

const KESTO_RECORD kA = MakeDeviceRecord(0x01, "Boiler room", 0xC0A8010Au);
const KESTO_RECORD kB = MakeDeviceRecord(0x02, "Attic", 0xC0A8010Bu);

class ApplyFeedbackTest : public PresenterTest {
 protected:
  // Lists the devices, selects the one at shown index iRow and sends it renamed.
  KESTO_RECORD SendRenamed(int iRow, const std::string& sName) {
    view.iSelected = iRow;
    fnDialog = [sName](CConfigKestoModel& model) {
      model.SetName(sName);
      model.Confirm();
      return true;
    };
    presenter->OnBasicConfig();
    const CKestoInfo* pCopy = presenter->GetSelectedRecord();
    if (pCopy == nullptr) {
      ADD_FAILURE() << "no row selected";
      return {};
    }
    return pCopy->GetRecord();
  }
  std::string StateOf(const KESTO_RECORD& record) {
    const ApplyState* pState = presenter->GetApplyTracker().Find(record.byMAC);
    return pState ? ApplyStateText(*pState) : "(none)";
  }
};

TEST_F(ApplyFeedbackTest, SentThenConfirmedWhenTheDeviceAnswersWithTheNewValues) {
  Answer(kA);
  presenter->PollDevices();
  const KESTO_RECORD sent = SendRenamed(0, "Cellar");
  EXPECT_EQ(StateOf(kA), "sent");
  EXPECT_EQ(view.sStatus, "Cellar (00-1A-2B-3C-4D-01): sent");
  EXPECT_EQ(view.Get(kA).sToolTip, "Settings sent");

  clock.Advance(400);
  Answer(kA);  // an answer with the old values confirms nothing
  presenter->PollDevices();
  EXPECT_EQ(StateOf(kA), "sent");

  clock.Advance(400);
  Answer(sent);
  presenter->PollDevices();
  EXPECT_EQ(StateOf(kA), "confirmed");
  EXPECT_EQ(view.sStatus, "Cellar (00-1A-2B-3C-4D-01): confirmed");
  EXPECT_EQ(view.Get(kA).sToolTip, "Settings confirmed");
  EXPECT_EQ(view.rows[0][0], "Cellar");

  clock.Advance(5000);  // a confirmed outcome stays
  presenter->PollDevices();
  EXPECT_EQ(StateOf(kA), "confirmed");
}

TEST_F(ApplyFeedbackTest, OnlyTheAddressesSentToConfirmAndEachMust) {
  const platform::Ipv4Endpoint device{0xC0A8010Au, 1444};
  const platform::Ipv4Endpoint spoofer{0xC0A80142u, 1444};
  struct Case {
    const char* pszWhat;
    bool bSpooferBeforeSend;  // the spoofer was heard, so the settings went to it as well
    std::vector<platform::Ipv4Endpoint> newValuesFrom;
    const char* pszState;
  };
  const Case cases[] = {
      {"the device confirms", false, {device}, "confirmed"},
      {"an address never sent to cannot confirm", false, {spoofer}, "not confirmed"},
      {"one of two sent to is not enough", true, {spoofer}, "not confirmed"},
      {"both sent to confirm", true, {spoofer, device}, "confirmed"},
  };
  uint8_t byMAC = 0x10;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    // A device of its own per case; the previous case's rows age out meanwhile.
    const KESTO_RECORD record = MakeDeviceRecord(byMAC++, "Boiler room", device.dwAddress);
    pSocket->Queue(RecordBytes(record), device);
    if (c.bSpooferBeforeSend) pSocket->Queue(RecordBytes(record), spoofer);
    PassUntilRead();
    const size_t nConfigsBefore = SentConfigs().size();
    const KESTO_RECORD sent = SendRenamed(0, "Cellar");
    std::vector<platform::Ipv4Endpoint> sentTo;
    const auto configs = SentConfigs();
    for (size_t i = nConfigsBefore; i < configs.size(); ++i)
      if (configs[i].to == device || configs[i].to == spoofer) sentTo.push_back(configs[i].to);
    EXPECT_EQ(sentTo.size(), c.bSpooferBeforeSend ? 2u : 1u);
    // The device (and the spoofer) keep answering with the old record unless listed.
    for (int i = 0; i < 4; ++i) {
      clock.Advance(900);
      for (const platform::Ipv4Endpoint& from : {device, spoofer}) {
        const bool bNew = std::find(c.newValuesFrom.begin(), c.newValuesFrom.end(), from) != c.newValuesFrom.end();
        if (bNew || from == device || c.bSpooferBeforeSend) pSocket->Queue(RecordBytes(bNew ? sent : record), from);
      }
      PassUntilRead();
    }
    EXPECT_EQ(StateOf(record), c.pszState);
  }
}

struct BoundaryCase {
  uint32_t dwAnswerAfterMs;  // 0: no answer
  uint32_t dwPassAtMs;
  const char* pszState;
};

class ApplyBoundaryTest : public ApplyFeedbackTest, public ::testing::WithParamInterface<BoundaryCase> {};

TEST_P(ApplyBoundaryTest, NotConfirmedOnlyAfterMoreThan3000Ms) {
  const BoundaryCase& c = GetParam();
  // Near the top of the tick range, so the window crosses the wrap.
  clock.Set(0xFFFFF000u);
  Answer(kA);
  presenter->PollDevices();
  const uint32_t dwSent = clock.Now();
  const KESTO_RECORD sent = SendRenamed(0, "Cellar");
  // The device keeps answering with its old record, as one that ignored the datagram would.
  for (uint32_t dwAt = 500; dwAt < c.dwPassAtMs; dwAt += 500) {
    clock.Set(dwSent + dwAt);
    Answer(kA);
    presenter->PollDevices();
  }
  if (c.dwAnswerAfterMs != 0) {
    clock.Set(dwSent + c.dwAnswerAfterMs);
    Answer(sent);
    finder->Receive();  // read now, looked at by the next pass
  }
  clock.Set(dwSent + c.dwPassAtMs);
  presenter->PollDevices();
  EXPECT_EQ(StateOf(kA), c.pszState) << "answer at " << c.dwAnswerAfterMs << ", pass at " << c.dwPassAtMs;
}

INSTANTIATE_TEST_SUITE_P(Table, ApplyBoundaryTest,
                         ::testing::Values(BoundaryCase{0, 2999, "sent"},             //
                                           BoundaryCase{0, 3000, "sent"},             //
                                           BoundaryCase{0, 3001, "not confirmed"},    //
                                           BoundaryCase{3000, 3000, "confirmed"},     // just in time
                                           BoundaryCase{3000, 3001, "confirmed"},     // in time, seen late
                                           BoundaryCase{3001, 3001, "not confirmed"}  // too late
                                           ));

TEST_F(ApplyFeedbackTest, AFailingSendShowsNotSent) {
  Answer(kA);
  presenter->PollDevices();
  pSocket->bFailSends = true;
  SendRenamed(0, "Cellar");
  EXPECT_EQ(StateOf(kA), "not sent");
  EXPECT_EQ(view.sStatus, "Cellar (00-1A-2B-3C-4D-01): not sent");
  EXPECT_EQ(view.Get(kA).sToolTip, "Settings not sent");
  clock.Advance(4000);
  Answer(kA);
  presenter->PollDevices();
  EXPECT_EQ(StateOf(kA), "not sent");
}

// A log that cannot be written stops no send and is said in the status line, as long as it lasts.
TEST_F(ApplyFeedbackTest, ALogThatCannotBeWrittenIsSaidWhileItLasts) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("kesto-presenter-log-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "file") << "a file where the log's folder should be";
  struct Step {
    std::filesystem::path log;
    bool bSaid;
  };
  const Step steps[] = {{folder / "file" / "kesto" / "changes.jsonl", true}, {folder / "changes.jsonl", false}};
  Answer(kA);
  presenter->PollDevices();
  for (const Step& step : steps) {
    CChangeLog::Process().Open(step.log.string(), "window", {});
    const size_t nSentBefore = SentConfigs().size();
    SendRenamed(0, "Cellar " + std::to_string(nSentBefore));
    EXPECT_GT(SentConfigs().size(), nSentBefore) << step.log;
    EXPECT_EQ(view.sStatus.find("Not logged (") != std::string::npos, step.bSaid) << view.sStatus;
    EXPECT_NE(view.sStatus.find("): sent"), std::string::npos) << view.sStatus;
  }
  CChangeLog::Process().Close();
  std::filesystem::remove_all(folder);
}

TEST_F(ApplyFeedbackTest, SeveralDevicesAreFollowedAtOnce) {
  Answer(kA);
  Answer(kB);
  PassUntilRead();  // rows: B, A
  const KESTO_RECORD sentB = SendRenamed(0, "Loft");
  clock.Advance(1000);
  SendRenamed(1, "Cellar");
  EXPECT_EQ(view.sStatus, "Cellar (00-1A-2B-3C-4D-01): sent   Loft (00-1A-2B-3C-4D-02): sent");

  clock.Advance(500);
  Answer(sentB);
  presenter->PollDevices();
  EXPECT_EQ(StateOf(kB), "confirmed");
  EXPECT_EQ(StateOf(kA), "sent");

  for (int i = 0; i < 2; ++i) {  // both keep answering: A with its old values
    clock.Advance(i == 0 ? 1000 : 1501);  // then 3001 ms after A's send
    Answer(kA);
    Answer(sentB);
    PassUntilRead();
  }
  EXPECT_EQ(StateOf(kA), "not confirmed");
  EXPECT_EQ(StateOf(kB), "confirmed");
  EXPECT_EQ(view.sStatus, "Cellar (00-1A-2B-3C-4D-01): not confirmed   Loft (00-1A-2B-3C-4D-02): confirmed");
  EXPECT_EQ(view.Get(kA).sToolTip, "Settings not confirmed");
}

TEST_F(ApplyFeedbackTest, ASecondSendToOneDeviceStartsOver) {
  Answer(kA);
  presenter->PollDevices();
  SendRenamed(0, "First");
  for (int i = 0; i < 2; ++i) {
    clock.Advance(i == 0 ? 1500 : 1501);
    Answer(kA);
    presenter->PollDevices();
  }
  EXPECT_EQ(StateOf(kA), "not confirmed");
  const KESTO_RECORD second = SendRenamed(0, "Second");
  EXPECT_EQ(StateOf(kA), "sent");
  EXPECT_EQ(view.sStatus, "Second (00-1A-2B-3C-4D-01): sent");
  clock.Advance(10);
  Answer(second);
  presenter->PollDevices();
  EXPECT_EQ(StateOf(kA), "confirmed");
}

// Each of the fields the dialog sets must come back before the send counts as applied.
TEST(ApplyTrackerTest, EveryFieldTheDialogSetsIsCompared) {
  const KESTO_RECORD sent = kA;
  EXPECT_TRUE(CKestoSettingsChange::AllOf(sent).IsAppliedIn(sent));
  KESTO_RECORD other = sent;
  other.iPort = 1;  // not set by the dialog
  std::strncpy(other.szVersion, "FW 9", sizeof other.szVersion);
  other.byReserved1 = 0x77;
  EXPECT_TRUE(CKestoSettingsChange::AllOf(sent).IsAppliedIn(other));

  using Change = void (*)(KESTO_RECORD&);
  const Change changes[] = {
      [](KESTO_RECORD& r) { SetRecordName(r, "Other"); }, [](KESTO_RECORD& r) { r.dwIPAddress ^= 1; },
      [](KESTO_RECORD& r) { r.dwNetMask ^= 1; },          [](KESTO_RECORD& r) { r.dwGateway ^= 1; },
      [](KESTO_RECORD& r) { r.dwDNS ^= 1; },              [](KESTO_RECORD& r) { r.cType = 2; },
      [](KESTO_RECORD& r) { r.shProtocol = 0; },          [](KESTO_RECORD& r) { r.wBaudRate = 49664; },
  };
  for (size_t i = 0; i < std::size(changes); ++i) {
    KESTO_RECORD answer = sent;
    changes[i](answer);
    EXPECT_FALSE(CKestoSettingsChange::AllOf(sent).IsAppliedIn(answer)) << "change " << i;
  }
}

TEST(ApplyTrackerTest, KeepsAtMost16AndNamesThreeInTheStatusLine) {
  CApplyTracker tracker;
  for (uint8_t i = 1; i <= 20; ++i) tracker.OnSent(MakeDeviceRecord(i, "x", 0x0A000000u + i), 100, false);
  EXPECT_EQ(tracker.StatusText(),
            "x (00-1A-2B-3C-4D-14): not sent   x (00-1A-2B-3C-4D-13): not sent   x (00-1A-2B-3C-4D-12): not sent   (+13 more)");
  EXPECT_EQ(tracker.Find(MakeDeviceRecord(4, "x", 0).byMAC), nullptr);  // the oldest went
  EXPECT_NE(tracker.Find(MakeDeviceRecord(5, "x", 0).byMAC), nullptr);
  EXPECT_FALSE(tracker.HasPending());
}

}  // namespace

namespace {

// Over a real socket whose receive buffer is too small for a full list, the status
// line says so from the first pass on, naming the room the OS granted.
TEST(ReceiveRoomStatusTest, AShortReceiveBufferIsNamedInTheStatusLine) {
  FakeClock clock;  // never moves: no probe goes out
  KestoFinderOptions options;
  options.pTicks = &clock;
  options.fnReadInterfaces = nullptr;
  options.endpTarget = {platform::kLoopback, 9};
  CKestoFinder finder(options, OpenLoopbackSocket(16384));
  RecordingView view;
  CQUORINPresenter presenter(finder, view, {}, {});
  presenter.PollDevices();
  const long lRoom = platform::GetReceiveBufferDatagrams(*finder.GetSocket(), kesto_wire::kRecordSize);
  if (lRoom < 0 || lRoom >= 16384) GTEST_SKIP() << "this system grants room for a full list (" << lRoom << " answers)";
  EXPECT_NE(view.sStatus.find("about " + std::to_string(lRoom) + " answers, fewer than the 16384"), std::string::npos)
      << view.sStatus;
}

}  // namespace

namespace {

TEST_F(ApplyFeedbackTest, TooManyAddressesForOneMacNeverConfirm) {
  // Eight ports of another host fill the places kept for the MAC before the device
  // answers; they all take the new name, the device is one address too many.
  const platform::Ipv4Endpoint device{kA.dwIPAddress, 1444};
  std::vector<platform::Ipv4Endpoint> impostor;
  for (uint16_t i = 0; i < 8; ++i) impostor.push_back({0xC0A80142u, static_cast<uint16_t>(40000 + i)});
  for (const platform::Ipv4Endpoint& from : impostor) pSocket->Queue(RecordBytes(kA), from);
  pSocket->Queue(RecordBytes(kA), device);
  PassUntilRead();
  const KESTO_RECORD sent = SendRenamed(0, "Hijacked");
  clock.Advance(30);
  for (const platform::Ipv4Endpoint& from : impostor) pSocket->Queue(RecordBytes(sent), from);
  pSocket->Queue(RecordBytes(kA), device);
  PassUntilRead();
  presenter->PollDevices();
  EXPECT_EQ(StateOf(kA), "not confirmed");
  EXPECT_EQ(view.sStatus, "Hijacked (00-1A-2B-3C-4D-01): not confirmed (too many addresses answer for it)");
  EXPECT_NE(view.Get(kA).sToolTip.find("Settings not confirmed: more addresses answer for it than can be followed"),
            std::string::npos)
      << view.Get(kA).sToolTip;
}

}  // namespace
