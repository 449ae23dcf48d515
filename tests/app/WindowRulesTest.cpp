// The main window's and dialog's rules without widgets: column texts and sort
// keys, the sort order, the count and empty-list texts, the address checks
// before sending, the status history, and fields the user left alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/logic/ConfigAddressCheck.h"
#include "app/logic/DeviceColumnSet.h"
#include "app/logic/DeviceListState.h"
#include "app/logic/DeviceSortOrder.h"
#include "app/logic/StatusHistory.h"
#include "discovery/KestoWire.h"
#include "tests/app/PresenterFixture.h"

namespace {

using Cols = CDeviceColumnSet;

TEST(DeviceColumnSetTest, FiveDefaultColumnsThenTheOptionalOnes) {
  std::vector<std::string> titles;
  for (int i = 0; i < Cols::kCount; ++i)
    if (Cols::Get(i).bDefault) titles.push_back(Cols::Get(i).pszTitle);
  EXPECT_EQ(titles, (std::vector<std::string>{"Name", "MAC Address", "IP Address", "Port", "Version"}));
  const int widths[] = {110, 150, 100, 40, 150};
  for (int i = 0; i < Cols::kDefaultCount; ++i) EXPECT_EQ(Cols::Get(i).iWidth, widths[i]);
  EXPECT_STREQ(Cols::Get(Cols::kLastSeen).pszTitle, "Last Seen");
}

TEST(DeviceColumnSetTest, TextsOfTheOptionalColumns) {
  KESTO_RECORD record = MakeDeviceRecord(1, "Boiler", 0xC0A8010Au);
  record.wBaudRate = 49664;
  record.shProtocol = -3;
  const struct {
    int iColumn;
    int8_t cType;
    uint32_t dwAge;
    const char* pszText;
  } cases[] = {
      {Cols::kNetMask, 5, 0, "255.255.255.0"}, {Cols::kGateway, 5, 0, "192.168.1.1"},
      {Cols::kDNS, 5, 0, "8.8.8.8"},           {Cols::kType, 5, 0, "Passthrough"},
      {Cols::kType, 1, 0, "Solvane/Duravex"},  {Cols::kType, 9, 0, "code 9"},
      {Cols::kProtocol, 5, 0, "RS485"},        {Cols::kBaud, 5, 0, "115200"},
      {Cols::kLastSeen, 5, 0, "0.0 s"},        {Cols::kLastSeen, 5, 1999, "1.9 s"},
      {Cols::kLastSeen, 5, 45000, "45 s"},     {Cols::kLastSeen, 5, 180000, "3 min"},
      {Cols::kPort, 5, 0, "10001"},
  };
  for (const auto& c : cases) {
    record.cType = c.cType;
    EXPECT_EQ(Cols::Text(c.iColumn, record, c.dwAge), c.pszText) << Cols::Get(c.iColumn).pszTitle;
  }
  record.wBaudRate = 2400;  // not offered: the field as it is
  EXPECT_EQ(Cols::Text(Cols::kBaud, record, 0), "2400");
}

// Each pair must sort a before b by that column, whatever their texts say.
TEST(DeviceColumnSetTest, SortKeysOrderByValue) {
  auto with = [](auto fnSet) {
    KESTO_RECORD record = MakeDeviceRecord(1, "x", 0);
    fnSet(record);
    return record;
  };
  const struct {
    int iColumn;
    KESTO_RECORD a, b;
    const char* pszWhy;
  } cases[] = {
      {Cols::kIP, with([](KESTO_RECORD& r) { r.dwIPAddress = 0x0A000009u; }),
       with([](KESTO_RECORD& r) { r.dwIPAddress = 0x0A00000Au; }), "10.0.0.9 before 10.0.0.10"},
      {Cols::kIP, with([](KESTO_RECORD& r) { r.dwIPAddress = 0x7F000001u; }),
       with([](KESTO_RECORD& r) { r.dwIPAddress = 0xC0000001u; }), "127.x before 192.x"},
      {Cols::kMAC, with([](KESTO_RECORD& r) { r.byMAC[0] = 0x0B; }), with([](KESTO_RECORD& r) { r.byMAC[0] = 0xA0; }),
       "by bytes"},
      {Cols::kPort, with([](KESTO_RECORD& r) { r.iPort = 9; }), with([](KESTO_RECORD& r) { r.iPort = 10000; }),
       "9 before 10000"},
      {Cols::kPort, with([](KESTO_RECORD& r) { r.iPort = -5; }), with([](KESTO_RECORD& r) { r.iPort = 1; }),
       "\"-\" before 1"},
      {Cols::kName, with([](KESTO_RECORD& r) { SetRecordName(r, "attic"); }),
       with([](KESTO_RECORD& r) { SetRecordName(r, "Boiler"); }), "case folded"},
      {Cols::kName, with([](KESTO_RECORD& r) { SetRecordName(r, "Pump"); }),
       with([](KESTO_RECORD& r) { SetRecordName(r, "pump"); }), "case the tie-break"},
      {Cols::kType, with([](KESTO_RECORD& r) { r.cType = -1; }), with([](KESTO_RECORD& r) { r.cType = 2; }),
       "signed"},
      {Cols::kBaud, with([](KESTO_RECORD& r) { r.wBaudRate = 57600; }),
       with([](KESTO_RECORD& r) { r.wBaudRate = 49664; }), "49664 is 115200"},
      {Cols::kNetMask, with([](KESTO_RECORD& r) { r.dwNetMask = 0xFFFF0000u; }),
       with([](KESTO_RECORD& r) { r.dwNetMask = 0xFFFFFF00u; }), "numeric"},
  };
  for (const auto& c : cases)
    EXPECT_LT(Cols::SortKey(c.iColumn, c.a, 0), Cols::SortKey(c.iColumn, c.b, 0)) << c.pszWhy;
  EXPECT_LT(Cols::SortKey(Cols::kLastSeen, MakeDeviceRecord(1, "x", 0), 900),
            Cols::SortKey(Cols::kLastSeen, MakeDeviceRecord(1, "x", 0), 1500));
}

TEST(DeviceSortOrderTest, ClicksCycleAscendingDescendingNewest) {
  CDeviceSortOrder order;
  EXPECT_TRUE(order.IsNewestFirst());
  const struct {
    int iClick;
    const char* pszAfter;
  } steps[] = {{2, "2 asc"}, {2, "2 desc"}, {2, "newest"}, {2, "2 asc"}, {0, "0 asc"}, {3, "3 asc"}, {3, "3 desc"},
               {1, "1 asc"}};
  for (const auto& step : steps) {
    order.Click(step.iClick);
    EXPECT_EQ(order.ToText(), step.pszAfter);
  }
}

TEST(DeviceSortOrderTest, EqualKeysAndNewestFirstPutTheNewerRowOnTop) {
  CDeviceSortOrder order;
  EXPECT_TRUE(order.Before("b", 2, "a", 1));  // keys are ignored newest first
  EXPECT_FALSE(order.Before("a", 1, "b", 2));
  order.Set(0, true);
  EXPECT_TRUE(order.Before("a", 1, "b", 2));
  EXPECT_TRUE(order.Before("a", 2, "a", 1));
  order.Set(0, false);
  EXPECT_TRUE(order.Before("b", 1, "a", 2));
  EXPECT_TRUE(order.Before("a", 2, "a", 1));  // ties newest first either way
}

TEST(DeviceSortOrderTest, SettingsTextRoundTripsAndRefusesJunk) {
  const struct {
    const char* pszText;
    bool bTaken;
  } cases[] = {{"newest", true}, {"4 desc", true}, {"11 asc", true}, {"12 asc", false}, {"-1 asc", false},
               {"3", false},     {"3 up", false},  {"", false},      {"3 asc ", false}};
  for (const auto& c : cases) {
    CDeviceSortOrder order;
    order.Set(1, false);
    EXPECT_EQ(order.FromText(c.pszText, Cols::kCount), c.bTaken) << c.pszText;
    EXPECT_EQ(order.ToText(), c.bTaken ? c.pszText : "1 desc") << c.pszText;
  }
}

TEST(DeviceListStateTest, CountsAndEmptyMessages) {
  const struct {
    DeviceListFacts facts;
    const char* pszCount;
    const char* pszEmptyStart;  // "" when rows are shown
  } cases[] = {
      {{0, 0, false, false, false}, "Searching...", "No device has answered yet."},
      {{0, 0, false, false, true}, "Searching...", "No network adapter here can broadcast"},
      {{0, 0, true, false, false}, "0 devices", "No device answers at the moment"},
      {{1, 1, true, false, false}, "1 device", ""},
      {{12, 12, true, false, false}, "12 devices", ""},
      {{12, 3, true, true, false}, "3 of 12 shown", ""},
      {{12, 0, true, true, false}, "0 of 12 shown", "No device matches the filter."},
      {{0, 0, true, true, false}, "0 of 0 shown", "No device answers at the moment"},
      {{0, 0, false, false, false, true}, "Searching...", "No device has answered yet.\nUsual causes: a firewall"},
      {{0, 0, true, false, false, true}, "0 devices", "No device answers at the moment.\nUsual causes"},
      {{0, 0, false, false, true, true}, "Searching...", "No network adapter here can broadcast"},
      {{12, 0, true, true, false, true}, "0 of 12 shown", "No device matches the filter."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CDeviceListState::CountText(c.facts), c.pszCount);
    const std::string sEmpty = CDeviceListState::EmptyText(c.facts);
    EXPECT_EQ(sEmpty.rfind(c.pszEmptyStart, 0), 0u) << sEmpty;
    EXPECT_EQ(sEmpty.empty(), *c.pszEmptyStart == 0) << sEmpty;
    EXPECT_EQ(sEmpty.find("kesto doctor") != std::string::npos, c.facts.bEmptyForLong && c.facts.nRows == 0 &&
                                                                   !c.facts.bNoBroadcastAdapter)
        << sEmpty;
  }
}

TEST(ConfigAddressCheckTest, EachCheckInItsOrder) {
  using Check = CConfigAddressCheck;
  const std::vector<Check::OtherDevice> others{{0xC0A80114u, "Attic (00-1A-2B-3C-4D-02)"}};
  const struct {
    uint32_t dwIP, dwMask, dwGateway;
    Check::Problem problem;
    const char* pszMentions;
  } cases[] = {
      {0xC0A8010Au, 0xFFFFFF00u, 0xC0A80101u, Check::kNone, ""},
      {0xC0A8010Au, 0xFFFFFF00u, 0, Check::kNone, ""},  // no gateway
      {0xC0A8010Au, 0xFFFFFFFFu, 0, Check::kNone, ""},  // a host route has no network or broadcast address
      {0xC0A8010Au, 0xFFFFFFFEu, 0, Check::kNone, ""},
      {0xC0A8010Au, 0xFF00FF00u, 0, Check::kNetMask, "255.0.255.0"},
      {0xC0A8010Au, 0, 0, Check::kNetMask, "0.0.0.0"},
      {0xC0A8010Au, 0xFFFFFF00u, 0xC0A80201u, Check::kGateway, "192.168.2.1"},
      {0, 0xFFFFFF00u, 0, Check::kIPZero, "0.0.0.0"},
      {0xFFFFFFFFu, 0xFFFFFF00u, 0, Check::kIPBroadcast, "255.255.255.255"},
      {0xC0A801FFu, 0xFFFFFF00u, 0xC0A80101u, Check::kIPBroadcast, "192.168.1.255"},
      {0xC0A80100u, 0xFFFFFF00u, 0xC0A80101u, Check::kIPNetwork, "192.168.1.0"},
      {0xC0A80114u, 0xFFFFFF00u, 0xC0A80101u, Check::kIPInUse, "Attic (00-1A-2B-3C-4D-02)"},
  };
  for (const auto& c : cases) {
    const Check::Result result = Check::Check(c.dwIP, c.dwMask, c.dwGateway, others);
    EXPECT_EQ(result.problem, c.problem) << FormatAddress(c.dwIP) << " " << FormatAddress(c.dwMask);
    EXPECT_NE(result.sText.find(c.pszMentions), std::string::npos) << result.sText;
  }
}

TEST(StatusHistoryTest, BoundedNewestFirstAndClearable) {
  CStatusHistory history;
  EXPECT_FALSE(history.Add(""));
  EXPECT_TRUE(history.Add("one"));
  EXPECT_FALSE(history.Add("one"));  // a repeat is not a new line
  for (int i = 0; i < 30; ++i) history.Add("line " + std::to_string(i));
  EXPECT_EQ(history.GetCount(), CStatusHistory::kMaxLines);
  EXPECT_EQ(history.Latest(), "line 29");
  EXPECT_EQ(history.AllLines().substr(0, 16), "line 29\nline 28\n");
  history.Clear();
  EXPECT_TRUE(history.IsEmpty());
  EXPECT_EQ(history.Latest(), "");
}

TEST(ConfigKestoModelTypeToolTipTest, SaysWhatIsSent) {
  const struct {
    int8_t cType;
    const char* pszToolTip;
  } cases[] = {
      {1, "Sends type code 2 (Master); the device now reports code 1 (Solvane/Duravex)"},
      {3, "Sends type code 3 (Slave)"},
      {7, "Sends the device's own type code 7 unchanged"},
  };
  for (const auto& c : cases) {
    KESTO_RECORD record = MakeDeviceRecord(1, "x", 0x0A000001u);
    record.cType = c.cType;
    EXPECT_EQ(CConfigKestoModel(CKestoInfo(record, 0)).TypeToolTip(), c.pszToolTip);
  }
}

// Confirming without touching a field sends the record's bytes back as they came,
// also for values the lists cannot show.
class UntouchedFieldsTest : public PresenterTest {};

TEST_F(UntouchedFieldsTest, AreSentBackByteForByte) {
  const struct {
    int8_t cType;
    int16_t shProtocol;
    uint16_t wBaudRate;
  } cases[] = {{0, 0, 2400}, {7, 5, 0}, {-3, -1, 65535}, {5, 2, 49664}, {3, 1, 9600}, {4, 0, 1}};
  uint8_t byLast = 1;
  for (const auto& c : cases) {
    KESTO_RECORD record = MakeDeviceRecord(byLast++, "Boiler", 0xC0A8010Au);
    record.cType = c.cType;
    record.shProtocol = c.shProtocol;
    record.wBaudRate = c.wBaudRate;
    record.byReserved1 = 0x5A;
    std::memcpy(record.byReserved2, "\x01\x02\x03\x04", 4);
    Answer(record);
    presenter->PollDevices();
    view.iSelected = 0;
    fnDialog = [](CConfigKestoModel& model) {
      model.Confirm();
      return true;
    };
    presenter->OnBasicConfig();
    const auto configs = SentConfigs();
    ASSERT_FALSE(configs.empty());
    const auto& bytes = configs.back().bytes;
    ASSERT_EQ(bytes.size(), 104u);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 4, bytes.end()), RecordBytes(record))
        << "type " << int(c.cType) << " protocol " << c.shProtocol << " baud " << c.wBaudRate;
  }
}

TEST_F(UntouchedFieldsTest, TypeCodeOneGoesBackAsTwoOnPurpose) {
  KESTO_RECORD record = MakeDeviceRecord(1, "Boiler", 0xC0A8010Au);
  record.cType = 1;
  Answer(record);
  presenter->PollDevices();
  view.iSelected = 0;
  fnDialog = [](CConfigKestoModel& model) {
    model.Confirm();
    return true;
  };
  presenter->OnBasicConfig();
  // Broadcast and straight to the address the answer came from: the same bytes both ways.
  ASSERT_FALSE(SentConfigs().empty());
  for (const auto& sent : SentConfigs()) EXPECT_EQ(sent.bytes[4 + kesto_wire::kOffType], 2);
}

TEST_F(UntouchedFieldsTest, ClearingTheOutcomesEmptiesTheStatusAndTooltips) {
  Answer(MakeDeviceRecord(1, "Boiler", 0xC0A8010Au));
  presenter->PollDevices();
  view.iSelected = 0;
  fnDialog = [](CConfigKestoModel& model) {
    model.Confirm();
    return true;
  };
  presenter->OnBasicConfig();
  EXPECT_EQ(view.sStatus, "Boiler (00-1A-2B-3C-4D-01): sent");
  presenter->ClearApplyOutcomes();
  EXPECT_EQ(view.sStatus, "");
  EXPECT_EQ(view.all[0].sToolTip.find("Settings"), std::string::npos);
}

}  // namespace
