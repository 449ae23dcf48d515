// The export's text and how a file name picks its form.
#include "app/logic/DeviceExport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RecordBuilder.h"
#include "formats/DeviceCsv.h"

namespace {

struct SuffixCase {
  const char* pszPath;
  bool bKnown;
  ExportFormat format;
};

class ExportSuffixTest : public ::testing::TestWithParam<SuffixCase> {};

TEST_P(ExportSuffixTest, TheSuffixPicksTheForm) {
  ExportFormat format = ExportFormat::kJson;
  const bool bKnown = ExportFormatForPath(GetParam().pszPath, &format);
  EXPECT_EQ(bKnown, GetParam().bKnown) << GetParam().pszPath;
  if (bKnown) {
    EXPECT_EQ(format, GetParam().format) << GetParam().pszPath;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, ExportSuffixTest,
                         ::testing::Values(SuffixCase{"/tmp/devices.csv", true, ExportFormat::kCsv},
                                           SuffixCase{"DEVICES.CSV", true, ExportFormat::kCsv},
                                           SuffixCase{"a.json", true, ExportFormat::kJson},
                                           SuffixCase{"a.JSon", true, ExportFormat::kJson},
                                           SuffixCase{".csv", true, ExportFormat::kCsv},
                                           SuffixCase{"csv", false, ExportFormat::kCsv},
                                           SuffixCase{"a.csv.txt", false, ExportFormat::kCsv},
                                           SuffixCase{"a.jsonl", false, ExportFormat::kCsv},
                                           SuffixCase{"", false, ExportFormat::kCsv}));

TEST(DeviceExportTest, AnEmptyListIsAHeaderOrAnEmptyArray) {
  EXPECT_EQ(ExportDevices({}, ExportFormat::kCsv), DeviceCsvHeader());
  EXPECT_EQ(ExportDevices({}, ExportFormat::kJson), "[]\n");
}

TEST(DeviceExportTest, FlagsAppearOnlyWhereSet) {
  const KESTO_RECORD record = MakeDeviceRecord(0x01, "Boiler room", 0xC0A8010Au);
  const std::vector<ListedDevice> devices{{record, false, false, {}, false}, {record, true, true, {}, false}};
  const std::string sCsv = ExportDevices(devices, ExportFormat::kCsv);
  EXPECT_EQ(sCsv, DeviceCsvHeader() + DeviceToCsvRow(record, false) + DeviceToCsvRow(record, true));
  EXPECT_NE(sCsv.find(",false\r\n"), std::string::npos);
  EXPECT_NE(sCsv.find(",true\r\n"), std::string::npos);

  const std::string sJson = ExportDevices(devices, ExportFormat::kJson);
  const size_t nSecond = sJson.find("},");
  ASSERT_NE(nSecond, std::string::npos);
  EXPECT_EQ(sJson.substr(0, nSecond).find("duplicate_ip"), std::string::npos);
  EXPECT_EQ(sJson.substr(0, nSecond).find("reachable"), std::string::npos);
  EXPECT_NE(sJson.find("\"duplicate_ip\": true,\n    \"reachable\": false,\n    \"senders\": []\n  }\n]\n", nSecond),
            std::string::npos)
      << sJson;
}

}  // namespace
