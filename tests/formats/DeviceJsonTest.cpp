#include "formats/DeviceJson.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

KESTO_RECORD OddRecord() {
  KESTO_RECORD record;
  record.dwIPAddress = 0xC0A8010Au;
  record.dwNetMask = 0xFFFFFF00u;
  record.dwGateway = 0xC0A80101u;
  record.dwDNS = 0x08080808u;
  const uint8_t byMAC[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
  std::memcpy(record.byMAC, byMAC, 6);
  std::memcpy(record.szName, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01", 28);  // no NUL
  record.iPort = -1;
  std::memcpy(record.szVersion, "0123456789abcdefghijklmnopqrstuvwxyz", 36);
  record.cType = -7;
  record.byReserved1 = 0xA5;
  record.shProtocol = -3;
  record.wBaudRate = 49664;
  const uint8_t byReserved2[4] = {0xDE, 0xAD, 0xBE, 0xEF};
  std::memcpy(record.byReserved2, byReserved2, 4);
  return record;
}

TEST(DeviceJsonTest, PrintsExactlyTheListedKeysInOrder) {
  const DeviceJson object = DeviceToJson(OddRecord());
  EXPECT_EQ(object.dump(),
            "{\"name\":\"ABCDEFGHIJKLMNOPQRSTUVWXYZ01\",\"mac\":\"00-1A-2B-3C-4D-5E\",\"ip\":\"192.168.1.10\","
            "\"netmask\":\"255.255.255.0\",\"gateway\":\"192.168.1.1\",\"dns\":\"8.8.8.8\",\"port\":-1,"
            "\"version\":\"0123456789abcdefghijklmnopqrstuvwxyz\",\"type\":-7,\"type_name\":null,"
            "\"protocol\":\"RS485\",\"baud\":115200}");
}

TEST(DeviceJsonTest, TypeNameProtocolAndBaudFollowTheDialog) {
  struct Case {
    int8_t cType;
    int16_t shProtocol;
    uint16_t wBaud;
    DeviceJson typeName;
    const char* pszProtocol;
    int iBaud;
  };
  const Case cases[] = {
      {1, 0, 9600, "Solvane/Duravex", "RS232", 9600}, {2, 1, 300, "Master", "RS485", 300},
      {5, -1, 2400, "Passthrough", "RS485", 2400},    {0, 0, 0, nullptr, "RS232", 0},
      {6, 32767, 65535, nullptr, "RS485", 65535},    {-128, 0, 49664, nullptr, "RS232", 115200},
  };
  for (const Case& c : cases) {
    KESTO_RECORD record;
    record.cType = c.cType;
    record.shProtocol = c.shProtocol;
    record.wBaudRate = c.wBaud;
    const DeviceJson object = DeviceToJson(record);
    EXPECT_EQ(object["type"], c.cType);
    EXPECT_EQ(object["type_name"], c.typeName) << "type " << int{c.cType};
    EXPECT_EQ(object["protocol"], c.pszProtocol) << "protocol " << c.shProtocol;
    EXPECT_EQ(object["baud"], c.iBaud) << "stored " << c.wBaud;
  }
}

TEST(DeviceJsonTest, EightBitNamesSurviveTheRoundTrip) {
  KESTO_RECORD record = OddRecord();
  SetRecordName(record, "Caf\xE9 \xFF\x80\x01");
  const DeviceJson object = DeviceToJson(record);
  EXPECT_EQ(object["name"], "Caf\xC3\xA9 \xC3\xBF\xC2\x80\x01");
  KESTO_RECORD back;
  std::string sError;
  DeviceJson withRaw = object;
  withRaw["protocol"] = -3;
  withRaw["reserved1"] = 0xA5;
  withRaw["reserved2"] = "deadBEEF";
  ASSERT_TRUE(DeviceFromJson(withRaw, &back, &sError)) << sError;
  EXPECT_EQ(back, record);
}

TEST(DeviceJsonTest, FullFieldsWithoutNulComeBackWhole) {
  const KESTO_RECORD record = OddRecord();
  DeviceJson object = DeviceToJson(record);
  object["protocol"] = -3;
  object["reserved1"] = 165;
  object["reserved2"] = "DEADBEEF";
  KESTO_RECORD back;
  std::string sError;
  ASSERT_TRUE(DeviceFromJson(object, &back, &sError)) << sError;
  EXPECT_EQ(back, record);
}

TEST(DeviceJsonTest, RefusesFieldsThatDoNotFit) {
  const char* const bad[] = {
      R"({"name":"x"})",
      R"({"mac":"00-1A-2B-3C-4D"})",
      R"({"mac":"00-1A-2B-3C-4D-5E","name":"ABCDEFGHIJKLMNOPQRSTUVWXYZ012"})",
      R"({"mac":"00-1A-2B-3C-4D-5E","name":"\u0100"})",
      R"({"mac":"00-1A-2B-3C-4D-5E","ip":"1.2.3"})",
      R"({"mac":"00-1A-2B-3C-4D-5E","port":2147483648})",
      R"({"mac":"00-1A-2B-3C-4D-5E","type":128})",
      R"({"mac":"00-1A-2B-3C-4D-5E","protocol":"RS422"})",
      R"({"mac":"00-1A-2B-3C-4D-5E","baud":65536})",
      R"({"mac":"00-1A-2B-3C-4D-5E","baud":"9600"})",
      R"({"mac":"00-1A-2B-3C-4D-5E","reserved2":"DEADBEE"})",
      R"([])",
  };
  for (const char* pszJson : bad) {
    KESTO_RECORD record;
    std::string sError;
    EXPECT_FALSE(DeviceFromJson(DeviceJson::parse(pszJson), &record, &sError)) << pszJson;
    EXPECT_FALSE(sError.empty()) << pszJson;
  }
}

TEST(DeviceJsonTest, Utf8ToLatin1RefusesWhatOneByteCannotHold) {
  std::string sBytes;
  EXPECT_FALSE(Utf8ToLatin1("\xC4\x80", &sBytes));  // U+0100
  EXPECT_FALSE(Utf8ToLatin1("\xC3", &sBytes));      // cut short
  EXPECT_FALSE(Utf8ToLatin1("\xC3\x41", &sBytes));  // no continuation byte
  EXPECT_FALSE(Utf8ToLatin1("\x80", &sBytes));      // stray continuation byte
  ASSERT_TRUE(Utf8ToLatin1("a\xC2\xA0z", &sBytes));
  EXPECT_EQ(sBytes, "a\xA0z");
}

}  // namespace
