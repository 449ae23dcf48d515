#include "plan/PlanReader.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "plan/PlanCsvRows.h"

#include "plan/PlanCells.h"
#include "plan/DeviceBackup.h"
#include "plan/PlanPreview.h"
#include "formats/DeviceList.h"
#include "formats/TerminalText.h"
#include "support/RecordBuilder.h"

namespace {

std::string Repeated(const std::string& sUnit, size_t nTimes) {
  std::string sText;
  for (size_t i = 0; i < nTimes; ++i) sText += sUnit;
  return sText;
}

const char* const kHeader = "name,mac,ip,netmask,gateway,dns,port,version,type,type_name,protocol,baud,duplicate_ip";

TEST(PlanReaderTest, ReadsWhatTheListPrintsAndEmptyCellsLeaveSettings) {
  struct Case {
    const char* pszWhat;
    std::string sText;
    std::optional<std::string> sName;
    std::optional<uint32_t> dwIP;
    std::optional<int8_t> cType;
    std::optional<uint16_t> wBaud;
  };
  const std::string sRow = "02-00-00-00-00-01,10.0.0.5,255.255.255.0,10.0.0.1,10.0.0.2,10000,KST-1,3,Slave,RS232,115200,false";
  const Case cases[] = {
      {"list CSV, CRLF", std::string(kHeader) + "\r\nLobby," + sRow + "\r\n", "Lobby", 0x0A000005u, 3, 49664},
      {"LF and a BOM", "\xEF\xBB\xBF" + std::string(kHeader) + "\nLobby," + sRow + "\n", "Lobby", 0x0A000005u, 3, 49664},
      {"quoted comma, doubled quote", std::string(kHeader) + "\r\n\"A, \"\"b\"\"\"," + sRow, "A, \"b\"", 0x0A000005u, 3,
       49664},
      {"quoted line break", "mac,name\r\n02-00-00-00-00-01,\"two\r\nlines\"\r\n", "two\r\nlines", {}, {}, {}},
      {"blanks kept", "mac,name\n02-00-00-00-00-01,  Lobby \n", "  Lobby ", {}, {}, {}},
      {"only some columns, empty cells", "mac,ip,name,type\n02-00-00-00-00-01,,,\n", {}, {}, {}, {}},
      {"type by name, Latin-1 name", "mac,type,name\n02:00:00:00:00:01,passthrough,Caf\xC3\xA9\n", "Caf\xE9", {}, 5, {}},
      {"protected cell", "mac,name\n02-00-00-00-00-01,'=SUM(A1)\n", "=SUM(A1)", {}, {}, {}},
      {"protected cell, tab", "mac,name\n02-00-00-00-00-01,'\tx\n", "\tx", {}, {}, {}},
      {"quote kept before a letter", "mac,name\n02-00-00-00-00-01,'quoted\n", "'quoted", {}, {}, {}},
      {"doubled guard quote", "mac,name\n02-00-00-00-00-01,''=1\n", "'=1", {}, {}, {}},
      {"JSON with senders", R"([{"mac":"02-00-00-00-00-01","name":"Lobby","senders":["10.0.0.5:1444"],
          "several_senders":true}])", "Lobby", {}, {}, {}},
      {"JSON of list --json", R"([{"name":"Lobby","mac":"02-00-00-00-00-01","ip":"10.0.0.5","port":10000,
          "version":"x","type":3,"type_name":"Slave","protocol":"RS232","baud":115200,"duplicate_ip":true,
          "reachable":false}])", "Lobby", 0x0A000005u, 3, 49664},
      {"JSON null leaves it", R"([{"mac":"02-00-00-00-00-01","name":null,"type_name":null}])", {}, {}, {}, {}},
  };
  for (const Case& c : cases) {
    DevicePlan plan;
    std::vector<std::string> errors;
    ASSERT_TRUE(ReadPlan(c.sText, &plan, &errors)) << c.pszWhat << ": " << (errors.empty() ? "" : errors[0]);
    ASSERT_EQ(plan.entries.size(), 1u) << c.pszWhat;
    const CKestoSettingsChange& request = plan.entries[0].request;
    EXPECT_EQ(plan.entries[0].mac[5], 1) << c.pszWhat;
    EXPECT_EQ(request.sName, c.sName) << c.pszWhat;
    EXPECT_EQ(request.dwIPAddress, c.dwIP) << c.pszWhat;
    EXPECT_EQ(request.cType, c.cType) << c.pszWhat;
    EXPECT_EQ(request.wBaudRate, c.wBaud) << c.pszWhat;
  }
}

TEST(PlanReaderTest, RefusesBadPlansNamingTheProblem) {
  struct Case {
    std::string sText;
    const char* pszNamed;
  };
  const Case cases[] = {
      {"mac,colour\n02-00-00-00-00-01,red\n", "unknown column \"colour\""},
      {"name,ip\nx,10.0.0.1\n", "no \"mac\" column"},
      {"mac,mac\n02-00-00-00-00-01,02-00-00-00-00-01\n", "given twice"},
      {"mac,name\n02-00-00-00-00\n", "row 2: 1 cells"},
      {"mac,name\n02-00-00-00-00-01,\"open\n", "not closed"},
      {"mac,name\n02-00-00-00-00-01,a\"b\n", "malformed CSV"},
      {"mac\n02-00-00-00-00-0G\n", "row 2: mac"},
      {"mac\n\n", "names no device"},
      {"", "empty"},
      {"mac\n02-00-00-00-00-01\n02-00-00-00-00-01\n", "row 3: 02-00-00-00-00-01 is already planned in row 2"},
      {"mac,name\n02-00-00-00-00-01,ABCDEFGHIJKLMNOPQRSTUVWXYZ012\n", "takes 29 bytes; a device name holds at most 27"},
      {"mac,name\n02-00-00-00-00-01,\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
       "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9" "abcdefghijklmno\n", "takes 29 bytes"},
      {"mac,name\n02-00-00-00-00-01,\xE2\x82\xAC\n", "only Latin-1 characters"},
      {std::string("mac,name\n02-00-00-00-00-01,ab\0cd\n", 33), "NUL character"},
      {R"([{"mac":"02-00-00-00-00-01","name":"ab\u0000"}])", "NUL character"},
      {R"([{"mac":"02-00-00-00-00-01","mac":"02-00-00-00-00-02"}])", "row 1: \"mac\" is given twice"},
      {R"([{"mac":"02-00-00-00-00-01"},{"mac":"02-00-00-00-00-02","name":"a","name":"b"}])",
       "row 2: \"name\" is given twice"},
      {"mac,name,name\n02-00-00-00-00-01,a,b\n", "column \"name\" is given twice"},
      {"mac" + std::string(200, ',') + "\n", "row 1 has more than 64 cells"},
      {"mac\n02-00-00-00-00-01" + std::string(200, ',') + "\n", "row 2 has more than 64 cells"},
      {"[" + std::string(9, '[') + std::string(10, ']'), "row 1: nested more than 8 deep"},
      {R"([{"mac":"02-00-00-00-00-01","senders":[1)" + Repeated(",1", 64) + "]}]", "row 1: more than 64 values"},
      {"mac,ip\n02-00-00-00-00-01,10.0.0\n", "ip:"},
      {"mac,netmask\n02-00-00-00-00-01,255.255.255.0.0\n", "netmask:"},
      {"mac,type\n02-00-00-00-00-01,boss\n", "type:"},
      {"mac,protocol\n02-00-00-00-00-01,rs422\n", "protocol:"},
      {"mac,baud\n02-00-00-00-00-01,115201\n", "baud:"},
      {"mac,baud\n02-00-00-00-00-01,9600 \n", "baud:"},
      {R"({"mac":"02-00-00-00-00-01"})", "one array"},
      {R"([{"mac":"02-00-00-00-00-01","type":2.5}])", "\"type\" must be"},
      {R"([{"mac":"02-00-00-00-00-01","colour":"red"}])", "unknown column \"colour\""},
      {R"([{"name":"no mac"}])", "mac: missing"},
      {"[\"just text\"]", "not a JSON object"},
  };
  for (const Case& c : cases) {
    DevicePlan plan;
    std::vector<std::string> errors;
    EXPECT_FALSE(ReadPlan(c.sText, &plan, &errors)) << c.pszNamed;
    std::string sAll;
    for (const std::string& sError : errors) sAll += sError + "\n";
    EXPECT_NE(sAll.find(c.pszNamed), std::string::npos) << "wanted \"" << c.pszNamed << "\" in: " << sAll;
  }
}

TEST(PlanReaderTest, RefusesPlansBeyondTheBounds) {
  std::string sRows = "mac\n";
  for (size_t i = 0; i <= kMaxPlanRows; ++i) {
    char szRow[32];
    std::snprintf(szRow, sizeof szRow, "02-00-00-%02X-%02X-%02X\n", static_cast<unsigned>(i >> 16 & 255),
                  static_cast<unsigned>(i >> 8 & 255), static_cast<unsigned>(i & 255));
    sRows += szRow;
  }
  DevicePlan plan;
  std::vector<std::string> errors;
  EXPECT_FALSE(ReadPlan(sRows, &plan, &errors));
  ASSERT_FALSE(errors.empty());
  EXPECT_NE(errors[0].find("more than 65536 rows (the header included)"), std::string::npos) << errors[0];
  errors.clear();
  EXPECT_FALSE(ReadPlan(std::string(kMaxPlanBytes + 1, ' '), &plan, &errors));
  ASSERT_FALSE(errors.empty());
  EXPECT_NE(errors[0].find("larger than"), std::string::npos) << errors[0];
}

TEST(PlanReaderTest, CodesOutsideTheChoicesAreNotedNotRefused) {
  DevicePlan plan;
  std::vector<std::string> errors;
  ASSERT_TRUE(ReadPlan("mac,type,protocol,baud,name\n02-00-00-00-00-01,1,3,2400,ABCDEFGHIJKLMNOPQRSTUVWXYZ01\n", &plan,
                       &errors));
  const PlanEntry& entry = plan.entries[0];
  EXPECT_EQ(entry.request.cType, 1);
  EXPECT_EQ(entry.request.shProtocol, 3);
  EXPECT_EQ(entry.request.wBaudRate, 2400);
  EXPECT_EQ(entry.request.sName->size(), 28u);
  ASSERT_EQ(entry.outsideChoices.size(), 4u);
  EXPECT_EQ(entry.outsideChoices[0].first, "type");
}

// What `kesto list --csv` and `--json` print is a plan that, applied to the same
// devices, changes nothing: through the real writers and the real reader.
TEST(PlanReaderTest, TheListsOutputAppliedUnchangedChangesNothing) {
  const std::string names[] = {"'=1+1", "=1+1", "''=x", "'quoted", "'", "-5", "@home", "\tTab", "\rCR",
                               "a,\"b\"", "\x9B[2J", "bell\x07", "\xE9t\xE9", std::string(28, 'F'), ""};
  std::vector<KESTO_RECORD> records;
  std::vector<ListedDevice> listed;
  for (uint32_t i = 0; i < std::size(names); ++i) {
    KESTO_RECORD record = MakeRecord(i + 1);
    SetRecordNameField(record, names[i]);
    if (i < 2) record.dwIPAddress = 0x0A000063u;  // two devices already share 10.0.0.99
    records.push_back(record);
    ListedDevice& device = listed.emplace_back();
    device.record = record;
    device.bDuplicateIP = i < 2;
    device.vecSenders = {"10.0.0.1:1444", "10.0.0.2:1444"};
    device.bSeveralSenders = true;
  }
  for (const std::string& sText : {DevicesToCsv(listed), DevicesToJson(listed)}) {
    DevicePlan plan;
    std::vector<std::string> errors;
    ASSERT_TRUE(ReadPlan(sText, &plan, &errors)) << errors[0] << "\n" << sText;
    const PlanPreview preview = PreviewPlan(plan, records);
    EXPECT_EQ(preview.CountChanged(), 0u) << FormatPreview(preview);
    EXPECT_TRUE(preview.Errors().empty()) << preview.Errors()[0];
    EXPECT_FALSE(PlanMakesSharedIP(preview));
  }
  // Every JSON the tools print is ASCII: the 0x9B of a name comes out as \u009b, never as a C1 byte.
  for (const std::string& sJson : {DevicesToJson(listed), BackupToJson(records, "t")}) {
    EXPECT_EQ(std::count_if(sJson.begin(), sJson.end(), [](char c) { return c < 0x20 ? c != '\n' : c >= 0x7F; }), 0);
    EXPECT_NE(sJson.find("\\u009b[2J"), std::string::npos);
  }
  // A name edited into control characters is refused where it changes; a new shared address too.
  DevicePlan plan;
  std::vector<std::string> errors;
  ASSERT_TRUE(ReadPlan("mac,name,ip\n00-1A-00-00-00-03,bell\x07,10.0.0.99\n", &plan, &errors));
  const PlanPreview preview = PreviewPlan(plan, records);
  ASSERT_EQ(preview.Errors().size(), 1u);
  EXPECT_NE(preview.Errors()[0].find("control character 0x07"), std::string::npos) << preview.Errors()[0];
  EXPECT_TRUE(PlanMakesSharedIP(preview));
}

TEST(PlanTextTest, PlanMessagesEscapeControlBytesAndConvertLatin1) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain", "plain"},
      {"\x1B]0;owned\x07", "\\x1b]0;owned\\x07"},
      {"a\r\nb\tc\x7F", "a\\r\\nb\\tc\\x7f"},
      {"\x85\x9B\xA0\xE9", "\\x85\\x9b\xC2\xA0\xC3\xA9"},
      {"back\\slash", "back\\\\slash"},
  };
  for (const auto& [sIn, sOut] : cases) EXPECT_EQ(TerminalText(sIn), sOut) << sIn;
  EXPECT_EQ(QuotedTerminalText("a\" -> \"b\x9B"), "\"a\\\" -> \\\"b\\x9b\"");
}

}  // namespace
