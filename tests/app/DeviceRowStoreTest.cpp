// The shared row store: placement of new, changed, hidden and deleted rows in
// each order, the selection kept by key, and the cells' texts.
#include "app/logic/DeviceRowStore.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "app/logic/DeviceColumnSet.h"
#include "support/RecordBuilder.h"

namespace {

using Cols = CDeviceColumnSet;

// Devices are named by one letter; the letter also gives the MAC's last byte.
DeviceRowKey KeyOf(char c) { return RowKeyOf(MakeDeviceRecord(static_cast<uint8_t>(c), "x", 0)); }

// Runs one script of steps on a store and reads back the shown names and the selection.
// "+a 7" inserts device a at address 10.0.0.7, "=a 9" gives it 10.0.0.9, "-a" deletes it,
// "ha"/"sa" hide and show it, "*a" selects it, "age a 900" sets its age, "keys" refreshes
// the sort keys, "sort 2 asc" / "sort newest" picks the order, "place" notes whether Place() saw a change.
struct Script {
  CDeviceRowStore store;
  std::map<DeviceRowKey, uint32_t> ages;
  std::string sPlaced;  // one 1 or 0 per "place"

  Script() {
    store.SetAge([this](DeviceRowKey key) { return ages[key]; });
  }
  void Run(const std::string& sSteps) {
    std::istringstream steps(sSteps);
    for (std::string sStep; std::getline(steps, sStep, ',');) {
      while (!sStep.empty() && sStep.front() == ' ') sStep.erase(0, 1);
      std::istringstream words(sStep);
      std::string sWord;
      words >> sWord;
      const char c = sWord.size() > 1 ? sWord[1] : 0;
      int iNumber = 0;
      if (sWord[0] == '+' || sWord[0] == '=') {
        words >> iNumber;
        const KESTO_RECORD record = MakeDeviceRecord(static_cast<uint8_t>(c), std::string(1, c),
                                                     0x0A000000u | static_cast<uint32_t>(iNumber));
        if (sWord[0] == '+')
          store.Insert(KeyOf(c), record, true);
        else
          store.SetRecord(KeyOf(c), record);
      } else if (sWord[0] == '-') {
        store.Delete(KeyOf(c));
      } else if (sWord[0] == 'h' || sWord[0] == 's') {
        if (sWord == "sort") {
          std::string sOrder;
          std::getline(words >> std::ws, sOrder);
          CDeviceSortOrder order;
          ASSERT_TRUE(order.FromText(sOrder, Cols::kCount)) << sOrder;
          store.SetOrder(order);
        } else {
          store.SetShown(KeyOf(c), sWord[0] == 's');
        }
      } else if (sWord[0] == '*') {
        store.Select(KeyOf(c), true);
      } else if (sWord == "age") {
        std::string sName;
        words >> sName >> iNumber;
        ages[KeyOf(sName[0])] = static_cast<uint32_t>(iNumber);
      } else if (sWord == "keys") {
        store.RefreshSortKeys();
      } else if (sWord == "place") {
        sPlaced += store.Place() ? '1' : '0';
      } else {
        FAIL() << "unknown step " << sStep;
      }
    }
  }
  std::string Shown() const {
    std::string s;
    for (const CDeviceRowStore::Row* pRow : store.Shown()) s += FieldText(pRow->record.szName, 1);
    return s;
  }
  std::string Selected() const {
    std::string s;
    for (DeviceRowKey key : store.SelectedKeys()) s += FieldText(store.Find(key)->record.szName, 1);
    return s;
  }
};

TEST(DeviceRowStoreTest, PlacesRowsInEachOrderAndKeepsTheSelectionByKey) {
  const struct {
    const char* pszSteps;
    const char* pszShown;     // top first
    const char* pszSelected;  // in shown order
    const char* pszPlaced;    // what each "place" step reported
  } cases[] = {
      // Newest first: each arrival on top; a changed address moves nothing.
      {"+a 3, +b 1, +c 2, place, =a 0, place", "cba", "", "10"},
      // By IP ascending, descending, then back to newest first with the third click's order.
      {"+a 3, +b 1, +c 2, sort 2 asc, place", "bca", "", "1"},
      {"+a 3, +b 1, +c 2, sort 2 desc, place", "acb", "", "1"},
      {"+a 3, +b 1, +c 2, sort 2 asc, place, sort newest, place", "cba", "", "11"},
      // A changed address moves its row; an arrival is placed between the others.
      {"sort 2 asc, +a 3, +b 1, place, =b 5, +c 4, place", "acb", "", "11"},
      // Equal keys: the newer row on top, in both directions.
      {"sort 2 asc, +a 1, +b 1, +c 0, place", "cba", "", "1"},
      {"sort 2 desc, +a 1, +b 1, +c 0, place", "bac", "", "1"},
      // The selection stays on its devices across a re-sort.
      {"+a 3, +b 1, +c 2, place, *a, *b, sort 2 asc, place", "bca", "ba", "11"},
      // A hidden row leaves the selection and comes back unselected; a deleted one is gone.
      {"+a 3, +b 1, +c 2, place, *a, *b, hb, place", "ca", "a", "11"},
      {"+a 3, +b 1, +c 2, place, *a, *b, hb, place, sb, place", "cba", "a", "111"},
      {"+a 3, +b 1, +c 2, place, *a, -a, place", "cb", "", "11"},
      // A deleted row is reported even when nothing else moved.
      {"sort 2 asc, +a 3, +b 1, place, -b, place, place", "a", "", "110"},
      // A hidden row cannot be selected.
      {"+a 3, ha, *a, place", "", "", "0"},
      // Again under the same key: a new arrival, on top.
      {"+a 3, +b 1, place, +a 3, place", "ab", "", "11"},
      // By Last Seen the order follows the ages only when the keys are refreshed.
      {"age a 100, age b 500, sort 11 asc, +a 1, +b 2, place, age a 900, place, keys, place", "ba", "", "101"},
      {"age a 500, age b 100, sort 11 asc, +a 1, +b 2, place, age b 900, keys, place", "ab", "", "11"},
  };
  for (const auto& test : cases) {
    Script script;
    script.Run(test.pszSteps);
    EXPECT_EQ(script.Shown(), test.pszShown) << test.pszSteps;
    EXPECT_EQ(script.Selected(), test.pszSelected) << test.pszSteps;
    EXPECT_EQ(script.sPlaced, test.pszPlaced) << test.pszSteps;
    EXPECT_EQ(script.store.GetShownCount(), static_cast<int>(script.store.Shown().size())) << test.pszSteps;
  }
}

TEST(DeviceRowStoreTest, IndexOfAndCountsFollowTheShownRows) {
  Script script;
  script.Run("sort 2 asc, +a 3, +b 1, +c 2, hc, place");
  EXPECT_EQ(script.store.IndexOf(KeyOf('b')), 0);
  EXPECT_EQ(script.store.IndexOf(KeyOf('a')), 1);
  EXPECT_EQ(script.store.IndexOf(KeyOf('c')), -1);  // hidden
  EXPECT_EQ(script.store.IndexOf(KeyOf('z')), -1);  // unknown
  EXPECT_EQ(script.store.GetRowCount(), 3);
  EXPECT_EQ(script.store.GetShownCount(), 2);
}

TEST(DeviceRowStoreTest, RepaintIsAskedForShownRowsOnly) {
  const struct {
    const char* pszSteps;
    bool bRepaint;
  } cases[] = {
      {"+a 1, place", false},  // a new row comes with the layout change, not a repaint
      {"+a 1, place, =a 2", true},
      {"+a 1, ha, place, =a 2", false},
  };
  for (const auto& test : cases) {
    Script script;
    script.Run(test.pszSteps);
    EXPECT_EQ(script.store.TakeRepaint(), test.bRepaint) << test.pszSteps;
    EXPECT_FALSE(script.store.TakeRepaint()) << test.pszSteps;
  }
  Script script;
  script.Run("+a 1, place");
  script.store.SetMark(KeyOf('a'), CDeviceRowStore::kWarning);
  EXPECT_TRUE(script.store.TakeRepaint());
  script.store.SetMark(KeyOf('a'), CDeviceRowStore::kWarning);
  EXPECT_FALSE(script.store.TakeRepaint());
}

TEST(DeviceRowStoreTest, CellTextsAreMadeFromTheRecordWithDeviceTextsEscaped) {
  Script script;
  script.ages[KeyOf('a')] = 1500;
  KESTO_RECORD record = MakeDeviceRecord('a', "Pump\x1b[2J", 0x0A000007u);
  script.store.Insert(KeyOf('a'), record, true);
  const CDeviceRowStore::Row& row = *script.store.Find(KeyOf('a'));
  const struct {
    int iColumn;
    const char* pszText;
  } cases[] = {
      {Cols::kName, "Pump\\x1b[2J"}, {Cols::kIP, "10.0.0.7"}, {Cols::kMAC, "00-1A-2B-3C-4D-61"},
      {Cols::kPort, "10097"},        {Cols::kLastSeen, "1.5 s"}, {Cols::kCount, ""}, {-1, ""},
  };
  for (const auto& test : cases) EXPECT_EQ(script.store.CellText(row, test.iColumn), test.pszText) << test.iColumn;
}

}  // namespace

namespace {

// With many rows a few changes are merged into the order rather than sorted anew: the
// result must be the same as a full sort.
TEST(DeviceRowStoreTest, AFewMovedRowsAmongManyLandWhereAFullSortPutsThem) {
  CDeviceRowStore store;
  CDeviceSortOrder order;
  order.Set(Cols::kIP, true);
  store.SetOrder(order);
  auto record = [](uint8_t byLast, uint32_t dwIP) { return MakeDeviceRecord(byLast, "d", 0x0A000000u | dwIP); };
  for (uint8_t i = 1; i <= 64; ++i) store.Insert(KeyOf(static_cast<char>(i)), record(i, i * 4u), true);
  store.Place();
  store.SetRecord(KeyOf(3), record(3, 999));   // to the bottom
  store.SetRecord(KeyOf(60), record(60, 0));   // to the top
  store.Insert(KeyOf(100), record(100, 22), true);  // between 5 and 6
  store.Insert(KeyOf(101), record(101, 8), true);   // beside 2: the newer on top
  store.SetShown(KeyOf(10), false);
  EXPECT_TRUE(store.Place());
  std::vector<uint32_t> ips;
  for (const CDeviceRowStore::Row* pRow : store.Shown()) ips.push_back(pRow->record.dwIPAddress - 0x0A000000u);
  ASSERT_EQ(ips.size(), size_t{65});
  EXPECT_TRUE(std::is_sorted(ips.begin(), ips.end()));
  EXPECT_EQ(store.Shown().front()->key, KeyOf(60));
  EXPECT_EQ(store.Shown().back()->key, KeyOf(3));
  EXPECT_EQ(store.IndexOf(KeyOf(101)) + 1, store.IndexOf(KeyOf(2)));
  EXPECT_EQ(store.IndexOf(KeyOf(10)), -1);
}

}  // namespace
