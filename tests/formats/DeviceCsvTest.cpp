#include "formats/DeviceCsv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "formats/DeviceJson.h"
#include "support/RecordBuilder.h"

namespace {

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
  KESTO_RECORD odd = NamedRecord("ABCDEFGHIJKLMNOPQRSTUVWXYZ01", 28, "0123456789abcdefghijklmnopqrstuvwxyz");
  odd.iPort = -1;
  odd.cType = 9;
  odd.shProtocol = -3;
  odd.wBaudRate = 49664;
  KESTO_RECORD latin1 = NamedRecord("Caf\xE9, \"Salle\"", 14);
  KESTO_RECORD multiline = NamedRecord("Hall\r\nB", 7);
  multiline.cType = 5;
  const Case cases[] = {
      {NamedRecord("Boiler Room", 11), false,
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
  const KESTO_RECORD record = NamedRecord("=\x1b[2J\r\nx", 8, "-\x9b\tv");
  EXPECT_EQ(DeviceToCsvRow(record, false),
            "\"'=\x1b[2J\r\nx\",02-00-00-00-00-0A,10.202.1.7,255.255.255.0,10.202.1.1,9.9.9.9,10000,'-\xC2\x9B\tv,2,"
            "Master,RS232,9600,false\r\n");
  EXPECT_EQ(DeviceToCsvRow(record, false, true),
            "'=\\x1b[2J\\r\\nx,02-00-00-00-00-0A,10.202.1.7,255.255.255.0,10.202.1.1,9.9.9.9,10000,'-\\x9b\\tv,2,"
            "Master,RS232,9600,false\r\n");
}

TEST(DeviceCsvTest, JsonCarriesTheDuplicateFlagOnlyWhenRaised) {
  const KESTO_RECORD record = NamedRecord("x", 1);
  EXPECT_EQ(DeviceToJson(record, false), DeviceToJson(record));
  const DeviceJson flagged = DeviceToJson(record, true);
  EXPECT_EQ(flagged["duplicate_ip"], true);
  EXPECT_EQ(flagged.size(), DeviceToJson(record).size() + 1);
  EXPECT_EQ(flagged.items().begin().key(), "name");
  EXPECT_EQ(std::prev(flagged.end()).key(), "duplicate_ip") << "added last";
}

}  // namespace
