// The filter box: which rows match, and that rows, order and commands follow it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/logic/DeviceFilter.h"
#include "tests/app/PresenterFixture.h"

namespace {

const DeviceRowTexts kRow{"Boiler Room", "00-1A-2B-3C-4D-5E", "192.168.1.10", "10001", "FW 2.17"};

struct FilterCase {
  const char* pszText;
  bool bMatches;
};

class FilterMatchTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterMatchTest, MatchesNameMacIpAndVersionIgnoringCase) {
  CDeviceFilter filter;
  filter.SetText(GetParam().pszText);
  EXPECT_EQ(filter.Matches(kRow), GetParam().bMatches) << "filter \"" << GetParam().pszText << "\"";
}

INSTANTIATE_TEST_SUITE_P(Table, FilterMatchTest,
                         ::testing::Values(FilterCase{"", true},                   // empty shows all
                                           FilterCase{"   ", true},                // blanks only
                                           FilterCase{"boiler", true},             // name, other case
                                           FilterCase{"BOILER ROOM", true},        //
                                           FilterCase{"  room ", true},            // outer blanks dropped
                                           FilterCase{"r r", true},                // inner blank kept
                                           FilterCase{"rooms", false},             //
                                           FilterCase{"4d-5e", true},              // MAC as shown, lower case
                                           FilterCase{"00-1A-2B-3C-4D-5E", true},  //
                                           FilterCase{"001a2b3c4d5e", true},       // MAC without separators
                                           FilterCase{"3C4D", true},               //
                                           FilterCase{"3C:4D", false},             // other separators: no
                                           FilterCase{"5E-00", false},             // no wrap-around
                                           FilterCase{"168.1.1", true},            // IP
                                           FilterCase{"192.168.1.100", false},     // longer than the IP
                                           FilterCase{"fw 2", true},               // version
                                           FilterCase{"10001", false},             // the port is not searched
                                           FilterCase{"x", false}));

// Bytes above 127 are compared as they are, without any case folding.
TEST(DeviceFilterTest, EightBitNamesMatchByteForByte) {
  const DeviceRowTexts row{"K\xE4ller", "00-00-00-00-00-01", "10.0.0.1", "-", ""};
  CDeviceFilter filter;
  filter.SetText("\xE4L");
  EXPECT_TRUE(filter.Matches(row));
  filter.SetText("\xC4L");
  EXPECT_FALSE(filter.Matches(row));
}

const KESTO_RECORD kA = MakeDeviceRecord(0x01, "Boiler room", 0xC0A8010Au);  // 192.168.1.10
const KESTO_RECORD kB = MakeDeviceRecord(0x02, "Attic", 0xC0A8010Bu);
const KESTO_RECORD kC = MakeDeviceRecord(0x03, "Garage", 0xC0A8010Cu);

std::vector<std::string> Names(const RecordingView& view) {
  std::vector<std::string> names;
  for (const auto& row : view.rows) names.push_back(row[0]);
  return names;
}

using Names_ = std::vector<std::string>;

TEST_F(PresenterTest, FilterHidesRowsButKeepsThemAndTheirOrder) {
  for (const auto& record : {kA, kB, kC}) Answer(record);
  PassUntilRead();  // Garage, Attic, Boiler room

  presenter->SetFilterText("R");  // "Attic" has none, nor its MAC, IP or version
  EXPECT_EQ(Names(view), (Names_{"Garage", "Boiler room"}));
  EXPECT_EQ(presenter->GetRowCount(), 3);
  EXPECT_EQ(presenter->GetShownRowCount(), 2);
  EXPECT_EQ(view.all.size(), 3u);

  presenter->SetFilterText("4d-01");
  EXPECT_EQ(Names(view), (Names_{"Boiler room"}));
  presenter->SetFilterText("");
  EXPECT_EQ(Names(view), (Names_{"Garage", "Attic", "Boiler room"}));
}

TEST_F(PresenterTest, NewRowsEnterAtTheTopWhileFiltered) {
  Answer(kA);
  PassUntilRead();
  presenter->SetFilterText("192.168.1.1");
  Answer(kB);  // matches: 192.168.1.11
  presenter->PollDevices();
  EXPECT_EQ(Names(view), (Names_{"Attic", "Boiler room"}));

  Answer(MakeDeviceRecord(0x04, "Shed", 0x0A000004u));  // does not match
  presenter->PollDevices();
  EXPECT_EQ(Names(view), (Names_{"Attic", "Boiler room"}));
  ASSERT_EQ(view.all.size(), 3u);
  EXPECT_EQ(view.all[0].texts[0], "Shed");  // hidden, yet on top where it belongs
  EXPECT_FALSE(view.all[0].bShown);

  presenter->SetFilterText("");
  EXPECT_EQ(Names(view), (Names_{"Shed", "Attic", "Boiler room"}));
}

TEST_F(PresenterTest, ARowFollowsTheFilterWhenItsDeviceChanges) {
  Answer(kA);
  Answer(kB);
  PassUntilRead();
  presenter->SetFilterText("cellar");
  EXPECT_TRUE(view.rows.empty());

  KESTO_RECORD renamed = kA;
  SetRecordName(renamed, "Cellar");
  Answer(renamed);
  presenter->PollDevices();
  EXPECT_EQ(Names(view), (Names_{"Cellar"}));

  Answer(kA);  // and back
  presenter->PollDevices();
  EXPECT_TRUE(view.rows.empty());
  EXPECT_EQ(presenter->GetRowCount(), 2);
}

TEST_F(PresenterTest, HiddenRowsStillAgeOut) {
  Answer(kA);
  presenter->PollDevices();
  presenter->SetFilterText("nothing like it");
  clock.Advance(2001);
  presenter->PollDevices();
  EXPECT_EQ(presenter->GetRowCount(), 0);
  EXPECT_TRUE(view.all.empty());
}

TEST_F(PresenterTest, CommandsActOnTheShownRowTheUserSelected) {
  for (const auto& record : {kA, kB, kC}) Answer(record);
  PassUntilRead();  // Garage, Attic, Boiler room
  presenter->SetFilterText("o");  // only "Boiler room"
  ASSERT_EQ(Names(view), (Names_{"Boiler room"}));
  view.iSelected = 0;
  ASSERT_NE(presenter->GetSelectedRecord(), nullptr);
  EXPECT_EQ(presenter->GetSelectedRecord()->GetRecord(), kA);
  presenter->OnLaunchConfigurator();
  ASSERT_EQ(urls.size(), 1u);
  EXPECT_EQ(urls[0], "http://192.168.1.10/config.htm");

  presenter->SetFilterText("t");  // Attic
  ASSERT_EQ(Names(view), (Names_{"Attic"}));
  fnDialog = [](CConfigKestoModel& model) {
    model.Confirm();
    return true;
  };
  presenter->OnBasicConfig();
  ASSERT_EQ(SentConfigs().size(), 2u) << "broadcast, and to the address Attic answered from";
  EXPECT_EQ(SentConfigs()[0].bytes[4 + 21], 0x02);  // the MAC's last byte: Attic's
}

// A view whose selection points at a row the filter has just hidden: no command acts on it.
TEST_F(PresenterTest, AHiddenRowIsNeverTheSelectedOne) {
  Answer(kA);
  presenter->PollDevices();
  view.iSelected = 0;
  DeviceRowKey key = 0;
  ASSERT_TRUE(view.GetSelectedRow(&key));
  presenter->SetFilterText("zzz");
  view.shown.push_back(key);  // the widget still reports it
  EXPECT_EQ(presenter->GetSelectedRecord(), nullptr);
  presenter->OnLaunchConfigurator();
  EXPECT_TRUE(urls.empty());
}

}  // namespace
