#include "tools/formats/DeviceCsv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "tools/DeviceTable.h"
#include "tools/formats/DeviceJson.h"

namespace {

KESTO_RECORD Named(const char* pszName, size_t nNameBytes, const char* pszVersion = "1.0") {
  KESTO_RECORD record;
  record.dwIPAddress = 0x0ACA0107u;
  record.dwNetMask = 0xFFFFFF00u;
  record.dwGateway = 0x0ACA0101u;
  record.dwDNS = 0x09090909u;
  const uint8_t byMAC[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x0A};
  std::memcpy(record.byMAC, byMAC, 6);
  std::memcpy(record.szName, pszName, nNameBytes);
  record.iPort = 10000;
  std::memcpy(record.szVersion, pszVersion, std::min(std::strlen(pszVersion), sizeof record.szVersion));
  record.cType = 2;
  record.shProtocol = 0;
  record.wBaudRate = 9600;
  return record;
}

TEST(DeviceCsvTest, HeaderNamesTheColumnsInOrder) {
  EXPECT_EQ(DeviceCsvHeader(),
            "name,mac,ip,netmask,gateway,dns,port,version,type,type_name,protocol,baud,duplicate_ip\r\n");
}

TEST(DeviceCsvTest, FieldsAreQuotedOnlyWhenTheyMustBe) {
  struct Case {
    const char* pszText;
    const char* pszField;
  };
  const Case cases[] = {
      {"plain", "plain"},
      {"", ""},
      {"with space", "with space"},
      {"a,b", "\"a,b\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"\"", "\"\"\"\""},
      {"line\nbreak", "\"line\nbreak\""},
      {"cr\rhere", "\"cr\rhere\""},
      {"semi;colon", "semi;colon"},
      {"'single'", "'single'"},
  };
  for (const Case& c : cases) EXPECT_EQ(CsvField(c.pszText), c.pszField) << c.pszText;
}

TEST(DeviceCsvTest, RowsCarryTheJsonTexts) {
  struct Case {
    KESTO_RECORD record;
    bool bDuplicate;
    std::string sRow;
  };
  KESTO_RECORD odd = Named("ABCDEFGHIJKLMNOPQRSTUVWXYZ01", 28, "0123456789abcdefghijklmnopqrstuvwxyz");
  odd.iPort = -1;
  odd.cType = 9;
  odd.shProtocol = -3;
  odd.wBaudRate = 49664;
  KESTO_RECORD latin1 = Named("Caf\xE9, \"Salle\"", 14);
  KESTO_RECORD multiline = Named("Hall\r\nB", 7);
  multiline.cType = 5;
  const Case cases[] = {
      {Named("Boiler Room", 11), false,
       "Boiler Room,02-00-00-00-00-0A,10.202.1.7,255.255.255.0,10.202.1.1,9.9.9.9,10000,1.0,2,Master,RS232,9600,"
       "false\r\n"},
      {odd, true,
       "ABCDEFGHIJKLMNOPQRSTUVWXYZ01,02-00-00-00-00-0A,10.202.1.7,255.255.255.0,10.202.1.1,9.9.9.9,-1,"
       "0123456789abcdefghijklmnopqrstuvwxyz,9,,RS485,115200,true\r\n"},
      {latin1, false,
       "\"Caf\xC3\xA9, \"\"Salle\"\"\",02-00-00-00-00-0A,10.202.1.7,255.255.255.0,10.202.1.1,9.9.9.9,10000,1.0,2,"
       "Master,RS232,9600,false\r\n"},
      {multiline, false,
       "\"Hall\r\nB\",02-00-00-00-00-0A,10.202.1.7,255.255.255.0,10.202.1.1,9.9.9.9,10000,1.0,5,Passthrough,RS232,"
       "9600,false\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DeviceToCsvRow(c.record, c.bDuplicate), c.sRow);
    // The same texts as the JSON form, field for field.
    const DeviceJson object = DeviceToJson(c.record);
    EXPECT_NE(c.sRow.find(object["name"].get<std::string>().substr(0, 4)), std::string::npos);
    EXPECT_NE(c.sRow.find("," + object["protocol"].get<std::string>() + ","), std::string::npos);
  }
}

TEST(DeviceCsvTest, ForATerminalTheDeviceTextsAreEscapedAndStillGuarded) {
  const KESTO_RECORD record = Named("=\x1b[2J\r\nx", 8, "-\x9b\tv");
  EXPECT_EQ(DeviceToCsvRow(record, false),
            "\"'=\x1b[2J\r\nx\",02-00-00-00-00-0A,10.202.1.7,255.255.255.0,10.202.1.1,9.9.9.9,10000,'-\xC2\x9B\tv,2,"
            "Master,RS232,9600,false\r\n");
  EXPECT_EQ(DeviceToCsvRow(record, false, true),
            "'=\\x1b[2J\\r\\nx,02-00-00-00-00-0A,10.202.1.7,255.255.255.0,10.202.1.1,9.9.9.9,10000,'-\\x9b\\tv,2,"
            "Master,RS232,9600,false\r\n");
}

TEST(DeviceTableTest, ColumnsArePaddedByCharactersShownAfterEscaping) {
  const std::vector<KESTO_RECORD> records{Named("\xE9\xE9", 2), Named("a\tb", 3)};
  EXPECT_EQ(FormatDeviceTable(records),
            "Name  MAC Address        IP Address  Port   Version\n"
            "\xC3\xA9\xC3\xA9    02-00-00-00-00-0A  10.202.1.7  10000  1.0\n"
            "a\\tb  02-00-00-00-00-0A  10.202.1.7  10000  1.0\n");
}

TEST(DeviceCsvTest, JsonCarriesTheDuplicateFlagOnlyWhenRaised) {
  const KESTO_RECORD record = Named("x", 1);
  EXPECT_EQ(DeviceToJson(record, false), DeviceToJson(record));
  const DeviceJson flagged = DeviceToJson(record, true);
  EXPECT_EQ(flagged["duplicate_ip"], true);
  EXPECT_EQ(flagged.size(), DeviceToJson(record).size() + 1);
  EXPECT_EQ(flagged.items().begin().key(), "name");
  EXPECT_EQ(std::prev(flagged.end()).key(), "duplicate_ip") << "added last";
}

TEST(DeviceTableTest, TheNoteColumnAppearsOnlyWithANote) {
  const std::vector<KESTO_RECORD> records{Named("A", 1), Named("Bee", 3)};
  EXPECT_EQ(FormatDeviceTable(records, {"", ""}), FormatDeviceTable(records));
  EXPECT_EQ(FormatDeviceTable(records, {"", ""}).find("Note"), std::string::npos);
  EXPECT_EQ(FormatDeviceTable(records, {"", "duplicate IP, other subnet"}),
            "Name  MAC Address        IP Address  Port   Version  Note\n"
            "A     02-00-00-00-00-0A  10.202.1.7  10000  1.0\n"
            "Bee   02-00-00-00-00-0A  10.202.1.7  10000  1.0      duplicate IP, other subnet\n");
}

}  // namespace
