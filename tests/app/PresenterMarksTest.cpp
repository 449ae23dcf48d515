// Rows' marks (shared IP addresses, addresses outside every local subnet) and the
// adapter and target choices that steer the finder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/logic/DeviceExport.h"
#include "app/logic/TargetList.h"
#include "tests/app/PresenterFixture.h"

namespace {

const KESTO_RECORD kA = MakeDeviceRecord(0x01, "Boiler room", 0xC0A8010Au);  // 192.168.1.10
const KESTO_RECORD kB = MakeDeviceRecord(0x02, "Attic", 0xC0A8010Au);        // the same address
const KESTO_RECORD kC = MakeDeviceRecord(0x03, "Garage", 0xC0A8010Au);       // and again
const KESTO_RECORD kFar = MakeDeviceRecord(0x04, "Shed", 0x0A000005u);       // 10.0.0.5, no local subnet

bool HasLine(const std::string& sToolTip, const std::string& sLine) {
  return ("\n" + sToolTip + "\n").find("\n" + sLine + "\n") != std::string::npos;
}

TEST_F(PresenterTest, DevicesSharingAnAddressAreMarkedWithTheOtherMACs) {
  Answer(kA);
  Answer(kB);
  Answer(kFar);
  PassUntilRead();
  EXPECT_TRUE(view.Get(kA).bWarning);
  EXPECT_TRUE(view.Get(kB).bWarning);
  EXPECT_FALSE(view.Get(kFar).bWarning);
  EXPECT_EQ(view.Get(kA).sToolTip, "IP address 192.168.1.10 is also used by 00-1A-2B-3C-4D-02");
  EXPECT_EQ(view.Get(kB).sToolTip, "IP address 192.168.1.10 is also used by 00-1A-2B-3C-4D-01");

  Answer(kC);
  presenter->PollDevices();
  EXPECT_EQ(view.Get(kA).sToolTip, "IP address 192.168.1.10 is also used by 00-1A-2B-3C-4D-02, 00-1A-2B-3C-4D-03");
  EXPECT_TRUE(view.Get(kC).bWarning);
}

TEST_F(PresenterTest, AMacAnsweredForFromSeveralAddressesIsMarkedNamingThem) {
  pSocket->Queue(RecordBytes(kFar), {0x0A000005u, 1444});
  PassUntilRead();
  EXPECT_FALSE(view.Get(kFar).bWarning);
  // Another host answers with the same record: nothing in the row changes, only its mark.
  pSocket->Queue(RecordBytes(kFar), {0x0A000042u, 1444});
  PassUntilRead();
  EXPECT_TRUE(view.Get(kFar).bWarning);
  EXPECT_TRUE(HasLine(view.Get(kFar).sToolTip,
                      "Answers from several addresses: 10.0.0.5:1444, 10.0.0.66:1444 (another host may be answering "
                      "for this device)"))
      << view.Get(kFar).sToolTip;
  const std::vector<ListedDevice> shown = presenter->ShownDevices();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].vecSenders, (std::vector<std::string>{"10.0.0.5:1444", "10.0.0.66:1444"}));
  EXPECT_TRUE(shown[0].bSeveralSenders);
  // The other host falls silent; its address ages out and the mark goes with it.
  for (int i = 0; i < 3; ++i) {
    clock.Advance(1000);
    pSocket->Queue(RecordBytes(kFar), {0x0A000005u, 1444});
    PassUntilRead();
  }
  presenter->PollDevices();
  EXPECT_FALSE(view.Get(kFar).bWarning);
  EXPECT_EQ(view.Get(kFar).sToolTip, CQUORINPresenter::kUnreachableText);
}

TEST_F(PresenterTest, TheMarkClearsWhenOneDeviceChangesItsAddress) {
  Answer(kA);
  Answer(kB);
  PassUntilRead();
  ASSERT_TRUE(view.Get(kA).bWarning);
  KESTO_RECORD moved = kB;
  moved.dwIPAddress = 0xC0A80120u;
  Answer(moved);
  presenter->PollDevices();
  EXPECT_FALSE(view.Get(kA).bWarning);
  EXPECT_FALSE(view.Get(kB).bWarning);
  EXPECT_EQ(view.Get(kA).sToolTip, "");

  Answer(kB);  // and back again
  presenter->PollDevices();
  EXPECT_TRUE(view.Get(kA).bWarning);
}

TEST_F(PresenterTest, TheMarkClearsWhenTheOtherDeviceLeaves) {
  Answer(kA);
  Answer(kB);
  PassUntilRead();
  ASSERT_TRUE(view.Get(kA).bWarning);
  clock.Advance(1500);
  Answer(kA);
  presenter->PollDevices();
  clock.Advance(600);  // B silent for 2100 ms
  presenter->PollDevices();
  ASSERT_EQ(view.all.size(), 1u);
  EXPECT_FALSE(view.Get(kA).bWarning);
  EXPECT_EQ(view.Get(kA).sToolTip, "");
}

TEST_F(PresenterTest, MarksReachTheViewOnlyWhenTheyChange) {
  Answer(kA);
  Answer(kB);
  PassUntilRead();
  const int nMarks = view.nMarks;
  for (int i = 0; i < 5; ++i) {
    clock.Advance(200);
    Answer(kA);
    Answer(kB);
    PassUntilRead();
  }
  EXPECT_EQ(view.nMarks, nMarks);
}

TEST_F(PresenterTest, ADeviceOutsideEveryLocalSubnetIsSaidToBeUnreachable) {
  Answer(kA);
  Answer(kFar);
  PassUntilRead();
  EXPECT_EQ(view.Get(kFar).sToolTip, CQUORINPresenter::kUnreachableText);
  EXPECT_FALSE(view.Get(kFar).bWarning);
  EXPECT_EQ(view.Get(kA).sToolTip, "");

  // "Lauch Configurator..." still opens its page.
  view.iSelected = 0;
  presenter->OnLaunchConfigurator();
  ASSERT_EQ(urls.size(), 1u);
  EXPECT_EQ(urls[0], "http://10.0.0.5/config.htm");

  // A new adapter on 10.0.0.0/8 shows at the next read, 5 s after the first.
  interfaces.push_back(Interface("wlan0", 0x0A000001u, 0xFF000000u));
  const int nReads = nInterfaceReads;
  clock.Advance(4999);
  Answer(kA);
  Answer(kFar);
  PassUntilRead();
  EXPECT_EQ(nInterfaceReads, nReads);
  EXPECT_EQ(view.Get(kFar).sToolTip, CQUORINPresenter::kUnreachableText);
  clock.Advance(1);
  presenter->PollDevices();
  EXPECT_EQ(nInterfaceReads, nReads + 1);
  EXPECT_EQ(view.Get(kFar).sToolTip, "");
}

TEST_F(PresenterTest, AnUnreadableTableClaimsNothing) {
  bInterfacesReadable = false;
  Start();
  Answer(kFar);
  presenter->PollDevices();
  EXPECT_EQ(view.Get(kFar).sToolTip, "");
  ASSERT_EQ(presenter->ShownDevices().size(), 1u);
  EXPECT_FALSE(presenter->ShownDevices()[0].bUnreachable);
}

TEST_F(PresenterTest, TheTableIsReadAtMostEvery5SecondsAcrossTheTickWrap) {
  EXPECT_EQ(nInterfaceReads, 1) << "one read, the finder's, when it starts";
  clock.Set(0xFFFFF000u);
  presenter->PollDevices();
  const int nReads = nInterfaceReads;
  for (uint32_t dwStep = 0; dwStep < 49; ++dwStep) {
    clock.Advance(100);  // 4900 ms in all, crossing zero
    presenter->PollDevices();
  }
  EXPECT_EQ(nInterfaceReads, nReads);
  clock.Advance(100);
  presenter->PollDevices();
  EXPECT_EQ(nInterfaceReads, nReads + 1);
}

TEST_F(PresenterTest, SeveralMarksShareTheTooltipOneLineEach) {
  KESTO_RECORD farTwin = kFar;
  farTwin.byMAC[5] = 0x05;
  Answer(kFar);
  Answer(farTwin);
  PassUntilRead();
  view.iSelected = 0;  // farTwin
  fnDialog = [](CConfigKestoModel& model) {
    model.Confirm();
    return true;
  };
  presenter->OnBasicConfig();
  const std::string sToolTip = view.Get(farTwin).sToolTip;
  EXPECT_TRUE(HasLine(sToolTip, "IP address 10.0.0.5 is also used by 00-1A-2B-3C-4D-04")) << sToolTip;
  EXPECT_TRUE(HasLine(sToolTip, CQUORINPresenter::kUnreachableText)) << sToolTip;
  EXPECT_TRUE(HasLine(sToolTip, "Settings sent")) << sToolTip;
  EXPECT_EQ(presenter->GetRowToolTip(farTwin), sToolTip);
}

TEST_F(PresenterTest, ExportTakesTheShownRowsOldestFirstWithTheirFlags) {
  Answer(kA);
  Answer(kFar);
  Answer(kB);
  PassUntilRead();  // rows: B, Far, A
  presenter->SetFilterText("0");  // all match ("FW 2.17" has none, every MAC has a 0)
  auto devices = presenter->ShownDevices();
  ASSERT_EQ(devices.size(), 3u);
  EXPECT_EQ(devices[0].record, kA);
  EXPECT_TRUE(devices[0].bDuplicateIP);
  EXPECT_FALSE(devices[0].bUnreachable);
  EXPECT_EQ(devices[1].record, kFar);
  EXPECT_FALSE(devices[1].bDuplicateIP);
  EXPECT_TRUE(devices[1].bUnreachable);
  EXPECT_EQ(devices[2].record, kB);

  presenter->SetFilterText("attic");
  devices = presenter->ShownDevices();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].record, kB);
  EXPECT_TRUE(devices[0].bDuplicateIP);  // its twin is hidden, not gone
}

TEST_F(PresenterTest, ExportCarriesTheLastAnswerNotAnUnsentEdit) {
  Answer(kA);
  presenter->PollDevices();
  view.iSelected = 0;
  pSocket->bFailSends = true;
  fnDialog = [](CConfigKestoModel& model) {
    model.SetName("Never arrived");
    model.Confirm();
    return true;
  };
  presenter->OnBasicConfig();
  ASSERT_EQ(presenter->ShownDevices().size(), 1u);
  EXPECT_EQ(presenter->ShownDevices()[0].record, kA);
}

TEST_F(PresenterTest, TheAdapterBoxOffersTheUsableAdaptersAndSteersTheFinder) {
  interfaces.push_back(Interface("eth1", 0x0A0A0001u, 0xFFFF0000u));
  platform::NetInterface down = Interface("eth2", 0x0A0B0001u, 0xFFFF0000u);
  down.bUp = false;
  interfaces.push_back(down);
  Start();
  presenter->PollDevices();
  EXPECT_EQ(view.adapters, (std::vector<std::string>{"eth0", "eth1"}));
  ASSERT_TRUE(presenter->CanChooseDestinations());

  presenter->SelectAdapter("eth1");
  EXPECT_EQ(finder->GetDestinations().vecInterfaces, (std::vector<std::string>{"eth1"}));
  EXPECT_EQ(presenter->GetSelectedAdapter(), "eth1");

  // eth1 goes away: it stays chosen (and offered) rather than widening to every adapter.
  interfaces.erase(interfaces.begin() + 2);
  clock.Advance(5000);
  presenter->PollDevices();
  EXPECT_EQ(view.adapters, (std::vector<std::string>{"eth0", "eth1"}));
  EXPECT_EQ(finder->GetDestinations().vecInterfaces, (std::vector<std::string>{"eth1"}));

  presenter->SelectAdapter("");
  EXPECT_TRUE(finder->GetDestinations().vecInterfaces.empty());
  EXPECT_EQ(view.adapters, (std::vector<std::string>{"eth0"}));
}

struct TargetCase {
  const char* pszText;
  bool bAccepted;
  size_t nAddresses;
};
// The case's text names it in the test list.
void PrintTo(const TargetCase& test, std::ostream* pOut) { *pOut << '"' << test.pszText << '"'; }

class TargetEntryTest : public PresenterTest, public ::testing::WithParamInterface<TargetCase> {};

TEST_P(TargetEntryTest, AddTargetTakesAnAddressOrARange) {
  std::string sError;
  EXPECT_EQ(presenter->AddTarget(GetParam().pszText, &sError), GetParam().bAccepted) << GetParam().pszText;
  EXPECT_EQ(sError.empty(), GetParam().bAccepted) << sError;
  EXPECT_EQ(finder->GetDestinations().vecUnicast.size(), GetParam().nAddresses);
}

INSTANTIATE_TEST_SUITE_P(Table, TargetEntryTest,
                         ::testing::Values(TargetCase{"127.0.0.7", true, 1}, TargetCase{"127.0.0.0/30", true, 2},
                                           TargetCase{"127.0.0.0/24", true, 254}, TargetCase{"127.0.0.0/8", false, 0},
                                           TargetCase{"127.0.0", false, 0}, TargetCase{"", false, 0},
                                           TargetCase{"127.0.0.1/33", false, 0}, TargetCase{"host", false, 0}));

TEST_F(PresenterTest, TargetsAddUpAndClear) {
  std::string sError;
  ASSERT_TRUE(presenter->AddTarget("127.0.0.1", &sError));
  ASSERT_TRUE(presenter->AddTarget("127.0.1.0/30", &sError));
  EXPECT_EQ(finder->GetDestinations().vecUnicast, (std::vector<uint32_t>{0x7F000001u, 0x7F000101u, 0x7F000102u}));
  presenter->ClearTargets();
  EXPECT_TRUE(finder->GetDestinations().vecUnicast.empty());
}

// The Targets menu's list, the same in both windows: trimmed, added once, removed one by one.
TEST_F(PresenterTest, TargetListTrimsAddsOnceAndRemovesOneByOne) {
  CTargetList targets(*presenter);
  presenter->PollDevices();  // the interface table is known
  // Without an adapter that can broadcast, only a target leaves something to probe.
  EXPECT_TRUE(targets.LeavesNothingToProbe(true));
  EXPECT_FALSE(targets.LeavesNothingToProbe(false));
  std::string sError;
  EXPECT_TRUE(targets.Add(" 127.0.0.9 ", &sError));
  EXPECT_FALSE(targets.LeavesNothingToProbe(true));
  EXPECT_TRUE(targets.Add("127.0.1.0/31", &sError));
  EXPECT_TRUE(targets.Add("127.0.0.9", &sError));  // already there
  EXPECT_FALSE(targets.Add("127.0.0", &sError));
  EXPECT_FALSE(sError.empty());
  EXPECT_EQ(targets.Get(), (std::vector<std::string>{"127.0.0.9", "127.0.1.0/31"}));
  EXPECT_EQ(finder->GetDestinations().vecUnicast, (std::vector<uint32_t>{0x7F000009u, 0x7F000100u, 0x7F000101u}));
  targets.Remove(0);
  EXPECT_EQ(finder->GetDestinations().vecUnicast, (std::vector<uint32_t>{0x7F000100u, 0x7F000101u}));
  targets.Remove(5);  // no such entry
  targets.Clear();
  EXPECT_TRUE(targets.Get().empty());
  EXPECT_TRUE(finder->GetDestinations().vecUnicast.empty());
}

// With one explicit host (KESTO_TARGET) nothing else may be probed.
TEST(PresenterDestinationsTest, AnExplicitTargetLocksTheDestinations) {
  FakeClock clock(1000);
  KestoFinderOptions options;
  options.pTicks = &clock;
  options.endpTarget = {platform::kLoopback, 14440};
  options.fnReadInterfaces = nullptr;
  CKestoFinder finder(options, std::make_unique<FakeDatagramSocket>());
  RecordingView view;
  CQUORINPresenter presenter(finder, view, nullptr, nullptr);
  presenter.PollDevices();
  EXPECT_FALSE(presenter.CanChooseDestinations());
  presenter.SelectAdapter("eth0");
  EXPECT_TRUE(finder.GetDestinations().vecInterfaces.empty());
  std::string sError;
  EXPECT_FALSE(presenter.AddTarget("127.0.0.2", &sError));
  EXPECT_NE(sError.find("KESTO_TARGET"), std::string::npos);
  EXPECT_TRUE(finder.GetDestinations().vecUnicast.empty());
  EXPECT_FALSE(CTargetList(presenter).LeavesNothingToProbe(true));  // the one host is probed
}

}  // namespace
