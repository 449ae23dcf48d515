#include "app/logic/QUORINPresenter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/app/PresenterFixture.h"

namespace {

// A clock that moves one millisecond every time it is read.
class CreepingClock : public platform::TickSource {
 public:
  uint32_t Now() override { return m_dwNow++; }
  void Set(uint32_t dwNow) { m_dwNow = dwNow; }

 private:
  uint32_t m_dwNow = 0;
};

const KESTO_RECORD kA = MakeDeviceRecord(0x01, "Boiler room", 0xC0A8010Au);  // 192.168.1.10
const KESTO_RECORD kB = MakeDeviceRecord(0x02, "Attic", 0xC0A8010Bu);
const KESTO_RECORD kC = MakeDeviceRecord(0x03, "Garage", 0xC0A8010Cu);

TEST_F(PresenterTest, NewDevicesAreInsertedAtTheTopInOrderOfDiscovery) {
  for (const auto& record : {kA, kB, kC}) Answer(record);
  PassUntilRead();
  presenter->PollDevices();

  ASSERT_EQ(view.rows.size(), 3u);
  EXPECT_EQ(view.rows[0][0], "Garage");
  EXPECT_EQ(view.rows[1][0], "Attic");
  EXPECT_EQ(view.rows[2][0], "Boiler room");
  EXPECT_EQ(view.rows[2], (DeviceRowTexts{"Boiler room", "00-1A-2B-3C-4D-01", "192.168.1.10", "10001", "FW 2.17"}));
  ASSERT_EQ(presenter->GetRowCount(), 3);
  EXPECT_EQ(presenter->GetRow(0).GetRecord(), kC);
  EXPECT_EQ(presenter->GetRow(2).GetRecord(), kA);
}

TEST_F(PresenterTest, ChangedEntryRefreshesAllFiveColumnsOnlyWhenItsCopyDiffers) {
  Answer(kA);
  Answer(kB);
  PassUntilRead();

  KESTO_RECORD renamed = kA;
  SetRecordName(renamed, "Cellar");
  renamed.dwIPAddress = 0x0A000005u;
  renamed.iPort = 0;
  std::strncpy(renamed.szVersion, "FW 3.0", sizeof renamed.szVersion);
  Answer(renamed);
  PassUntilRead();

  ASSERT_EQ(view.rows.size(), 2u);
  EXPECT_EQ(view.rows[1], (DeviceRowTexts{"Cellar", "00-1A-2B-3C-4D-01", "10.0.0.5", "-", "FW 3.0"}));
  EXPECT_EQ(view.rows[0][0], "Attic");
  EXPECT_EQ(presenter->GetRow(1).GetRecord(), renamed);
  EXPECT_EQ(view.nRewrites, 1);

  // bChanged stays raised, but an equal copy is not rewritten again.
  for (int i = 0; i < 5; ++i) presenter->PollDevices();
  EXPECT_EQ(view.nRewrites, 1);
}

TEST_F(PresenterTest, SilentDeviceLosesItsRowAt2001MsNotAt2000) {
  Answer(kA);
  presenter->PollDevices();  // read at tick 1000
  ASSERT_EQ(view.rows.size(), 1u);

  clock.Set(1000 + 2000);
  presenter->PollDevices();
  EXPECT_EQ(view.rows.size(), 1u);
  EXPECT_EQ(finder->GetDevices().GetCount(), 1);

  clock.Set(1000 + 2001);
  presenter->PollDevices();
  EXPECT_TRUE(view.rows.empty());
  EXPECT_EQ(presenter->GetRowCount(), 0);
  EXPECT_EQ(finder->GetDevices().GetCount(), 0);
}

TEST_F(PresenterTest, ExpiryAcrossTheTickWrap) {
  clock.Set(0xFFFFFF00u);
  Answer(kA);
  presenter->PollDevices();
  clock.Set(0xFFFFFF00u + 2000);  // wrapped past zero
  presenter->PollDevices();
  EXPECT_EQ(view.rows.size(), 1u);
  clock.Advance(1);
  presenter->PollDevices();
  EXPECT_TRUE(view.rows.empty());
}

TEST_F(PresenterTest, DeviceThatAnswersAgainIsReinsertedAtTheTop) {
  Answer(kA);
  Answer(kB);
  PassUntilRead();  // rows: B, A
  clock.Advance(1500);
  Answer(kB);
  presenter->PollDevices();
  clock.Advance(600);  // A silent 2100 ms, B 600 ms
  presenter->PollDevices();
  ASSERT_EQ(view.rows.size(), 1u);
  EXPECT_EQ(view.rows[0][0], "Attic");

  Answer(kA);
  presenter->PollDevices();
  ASSERT_EQ(view.rows.size(), 2u);
  EXPECT_EQ(view.rows[0][0], "Boiler room");
  EXPECT_EQ(view.rows[1][0], "Attic");
}

class CreepingClockTest : public PresenterTest {
 protected:
  CreepingClockTest() : PresenterTest(&creeping) {}
  static CreepingClock creeping;
};
CreepingClock CreepingClockTest::creeping;

// With a clock that moves during the pass, the rows and the finder must still
// agree on which entries expired: no orphan entry, no second row.
TEST_F(CreepingClockTest, RowsAndEntriesAgreeWhileTheClockMovesDuringThePass) {
  for (uint32_t dwStart = 1990; dwStart <= 2010; ++dwStart) {
    creeping.Set(100000 * dwStart);
    Answer(kA);
    Answer(kB);
    Answer(kC);
    PassUntilRead();
    const uint32_t dwSeen = 100000 * dwStart;
    for (uint32_t dwAge = 1990; dwAge <= 2010; ++dwAge) {
      creeping.Set(dwSeen + dwAge);
      presenter->PollDevices();
      ASSERT_EQ(presenter->GetRowCount(), finder->GetDevices().GetCount()) << "start " << dwStart << " age " << dwAge;
      ASSERT_EQ(view.rows.size(), static_cast<size_t>(presenter->GetRowCount()));
    }
    creeping.Set(dwSeen + 5000);
    presenter->PollDevices();
    ASSERT_EQ(presenter->GetRowCount(), 0);
    ASSERT_EQ(finder->GetDevices().GetCount(), 0);
  }
}

TEST_F(PresenterTest, EntryWhoseRowIsMissingIsSkippedAndThePassGoesOn) {
  finder->AddDevice(kB);
  auto* pOrphan = static_cast<CKestoInfo*>(finder->GetDevices().GetHead());
  pOrphan->bListed = 1;  // claims a row it does not have
  pOrphan->bChanged = 1;
  Answer(kA);
  presenter->PollDevices();
  ASSERT_EQ(view.rows.size(), 1u);
  EXPECT_EQ(view.rows[0][0], "Boiler room");

  clock.Advance(2001);
  Answer(kA);
  presenter->PollDevices();
  EXPECT_EQ(view.rows.size(), 1u);
  EXPECT_EQ(finder->GetDevices().GetCount(), 1);  // the orphan aged out, A stays
}

TEST_F(PresenterTest, CommandsWithoutASelectionDoNothing) {
  Answer(kA);
  presenter->PollDevices();
  view.iSelected = -1;
  fnDialog = [](CConfigKestoModel& model) {
    model.Confirm();
    return true;
  };
  presenter->OnBasicConfig();
  presenter->OnLaunchConfigurator();
  EXPECT_EQ(nDialogRuns, 0);
  EXPECT_TRUE(urls.empty());
  EXPECT_TRUE(SentConfigs().empty());
  EXPECT_EQ(presenter->GetSelectedRecord(), nullptr);
}

TEST_F(PresenterTest, LaunchConfiguratorOpensTheSelectedDevicesPage) {
  KESTO_RECORD record = kA;
  record.dwIPAddress = 0x0A000005u;
  Answer(record);
  Answer(kB);
  PassUntilRead();
  view.iSelected = 1;
  presenter->OnLaunchConfigurator();
  ASSERT_EQ(urls.size(), 1u);
  EXPECT_EQ(urls[0], "http://10.0.0.5/config.htm");
  EXPECT_EQ(CQUORINPresenter::ConfiguratorUrl(0xFF00FE01u), "http://255.0.254.1/config.htm");
}

TEST_F(PresenterTest, BasicConfigBroadcastsTheEditedRowCopy) {
  KESTO_RECORD record = kA;
  record.byReserved1 = 0x5A;
  const uint8_t byReserved2[4] = {0xDE, 0xAD, 0xBE, 0xEF};
  std::memcpy(record.byReserved2, byReserved2, 4);
  record.iPort = 0x00002710;  // 10000
  Answer(record);
  presenter->PollDevices();
  view.iSelected = 0;

  fnDialog = [](CConfigKestoModel& model) {
    model.SetName("Pump house");
    model.SetAddress(CConfigKestoModel::kIPAddress, 0xC0A80214u);  // 192.168.2.20
    model.SetAddress(CConfigKestoModel::kNetMask, 0xFFFF0000u);
    model.SetAddress(CConfigKestoModel::kGateway, 0xC0A80001u);
    model.SetAddress(CConfigKestoModel::kDNS, 0x01020304u);
    model.SetTypeSelection(3);      // Passthrough
    model.SetProtocolSelection(0);  // RS232
    model.SetBaudSelection(0);      // 115200
    model.Confirm();
    return true;
  };
  presenter->OnBasicConfig();
  ASSERT_EQ(nDialogRuns, 1);

  // Broadcast, and straight to the address the device's answer came from.
  const auto configs = SentConfigs();
  ASSERT_EQ(configs.size(), 2u);
  EXPECT_EQ(configs[0].to, (platform::Ipv4Endpoint{platform::kLimitedBroadcast, KESTO_UDP_PORT}));
  EXPECT_EQ(configs[1].to, (platform::Ipv4Endpoint{0x0A000001u, KESTO_UDP_PORT}));
  EXPECT_EQ(configs[1].bytes, configs[0].bytes);

  std::vector<uint8_t> expected(104, 0);
  const uint8_t head[] = {0x07, 0x00, 0x00, 0x00,                          // command
                          0x14, 0x02, 0xA8, 0xC0, 0x00, 0x00, 0xFF, 0xFF,  // IP, mask
                          0x01, 0x00, 0xA8, 0xC0, 0x04, 0x03, 0x02, 0x01,  // gateway, DNS
                          0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x01};             // MAC
  std::memcpy(expected.data(), head, sizeof head);
  std::memcpy(expected.data() + 4 + 22, "Pump house", 10);  // rest of the 28 bytes NUL
  const uint8_t port[] = {0x10, 0x27, 0x00, 0x00};
  std::memcpy(expected.data() + 4 + 50, port, 4);
  std::memcpy(expected.data() + 4 + 54, "FW 2.17", 7);
  const uint8_t tail[] = {0x05, 0x5A, 0x00, 0x00, 0x00, 0xC2, 0xDE, 0xAD, 0xBE, 0xEF};
  std::memcpy(expected.data() + 4 + 90, tail, sizeof tail);
  EXPECT_EQ(configs[0].bytes, expected);

  // The row keeps its texts, but the copy carries the edit.
  EXPECT_EQ(view.rows[0][2], "192.168.1.10");
  EXPECT_EQ(presenter->GetRow(0).GetName(), "Pump house");
  presenter->OnLaunchConfigurator();
  ASSERT_EQ(urls.size(), 1u);
  EXPECT_EQ(urls[0], "http://192.168.2.20/config.htm");
}

TEST_F(PresenterTest, RowFollowsADeviceThatAppliedTheEditedCopy) {
  Answer(kA);
  presenter->PollDevices();
  view.iSelected = 0;
  fnDialog = [](CConfigKestoModel& model) {
    model.SetName("Renamed");
    model.SetAddress(CConfigKestoModel::kIPAddress, 0x0A000063u);
    model.Confirm();
    return true;
  };
  presenter->OnBasicConfig();
  const KESTO_RECORD applied = presenter->GetRow(0).GetRecord();
  EXPECT_EQ(view.rows[0][0], "Boiler room");

  // The device now answers with exactly the copy: the copy equals the entry,
  // but the texts still show the old record.
  Answer(applied);
  presenter->PollDevices();
  EXPECT_EQ(view.rows[0][0], "Renamed");
  EXPECT_EQ(view.rows[0][2], "10.0.0.99");
  EXPECT_EQ(view.nRewrites, 1);
  Answer(applied);
  presenter->PollDevices();
  EXPECT_EQ(view.nRewrites, 1);
}

TEST_F(PresenterTest, CancelledDialogChangesAndSendsNothing) {
  Answer(kA);
  presenter->PollDevices();
  view.iSelected = 0;
  fnDialog = [](CConfigKestoModel& model) {
    model.SetName("Never");
    return false;
  };
  presenter->OnBasicConfig();
  EXPECT_EQ(nDialogRuns, 1);
  EXPECT_TRUE(SentConfigs().empty());
  EXPECT_EQ(presenter->GetRow(0).GetRecord(), kA);
}

TEST_F(PresenterTest, WhileTheDialogIsOpenOnlyTheFinderIsPolled) {
  Answer(kA);
  Answer(kB);
  PassUntilRead();  // rows: B, A
  view.iSelected = 1;
  const CKestoInfo* pEdited = presenter->GetSelectedRecord();

  fnDialog = [&](CConfigKestoModel& model) {
    // Four seconds open; A keeps answering, B has gone quiet.
    for (int i = 0; i < 8; ++i) {
      clock.Advance(500);
      Answer(kA);
      presenter->PollWhileModal();
      EXPECT_EQ(view.rows.size(), 2u);
      EXPECT_EQ(presenter->GetSelectedRecord(), pEdited);
    }
    model.SetName("Edited");
    model.Confirm();
    return true;
  };
  const size_t nSentBefore = pSocket->sent.size();
  presenter->OnBasicConfig();
  EXPECT_GE(pSocket->sent.size() - nSentBefore, 3u);  // probes went on, then the config
  EXPECT_EQ(finder->GetDevices().GetCount(), 2);      // nothing aged out meanwhile
  EXPECT_EQ(presenter->GetRow(1).GetName(), "Edited");

  presenter->PollDevices();
  ASSERT_EQ(view.rows.size(), 1u);
  EXPECT_EQ(view.rows[0][0], "Boiler room");
}

}  // namespace

TEST_F(PresenterTest, AnEmptyListIsCalledLongEmptyAfterFiveSecondsFromTheStartOrItsLastRow) {
  const uint32_t kHint = CQUORINPresenter::kEmptyHintMs;
  presenter->PollDevices();  // the presenter started at tick 1000
  clock.Set(1000 + kHint - 1);
  presenter->PollDevices();
  EXPECT_FALSE(presenter->IsEmptyForLong());
  clock.Set(1000 + kHint);
  EXPECT_TRUE(presenter->IsEmptyForLong());  // the clock alone, between passes

  Answer(kA);
  presenter->PollDevices();
  EXPECT_FALSE(presenter->IsEmptyForLong());
  const uint32_t dwLastAnswer = clock.Now();
  clock.Set(dwLastAnswer + 2001);  // the row ages out
  presenter->PollDevices();
  ASSERT_EQ(presenter->GetRowCount(), 0);
  clock.Set(dwLastAnswer + 2001 + kHint - 1);
  EXPECT_FALSE(presenter->IsEmptyForLong());
  clock.Set(dwLastAnswer + 2001 + kHint);
  EXPECT_TRUE(presenter->IsEmptyForLong());
}
