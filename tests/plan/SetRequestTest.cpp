#include "plan/SetRequest.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/NameCases.h"
#include "formats/MacText.h"

namespace {

TEST(SetRequestTest, RefusesBadOptionsNamingThem) {
  struct Case {
    SetOptionsText text;
    const char* pszNamed;
  };
  auto name = [](const char* p) { SetOptionsText t; t.sName = p; return t; };
  auto ip = [](const char* p) { SetOptionsText t; t.sIPAddress = p; return t; };
  auto mask = [](const char* p) { SetOptionsText t; t.sNetMask = p; return t; };
  auto gateway = [](const char* p) { SetOptionsText t; t.sGateway = p; return t; };
  auto dns = [](const char* p) { SetOptionsText t; t.sDNS = p; return t; };
  auto type = [](const char* p) { SetOptionsText t; t.sType = p; return t; };
  auto protocol = [](const char* p) { SetOptionsText t; t.sProtocol = p; return t; };
  auto baud = [](const char* p) { SetOptionsText t; t.sBaud = p; return t; };
  const Case cases[] = {
      {name("ABCDEFGHIJKLMNOPQRSTUVWXYZ01"), "name"},  // 28 characters
      {ip("1.2.3"), "ip"},          {ip("1.2.3.4.5"), "ip"},       {ip("256.0.0.1"), "ip"},
      {ip("1.2.3.-4"), "ip"},       {ip("01.2.3.0004"), "ip"},     {ip(""), "ip"},
      {mask("255.255.255.0 "), "netmask"}, {gateway("a.b.c.d"), "gateway"}, {dns("1..2.3"), "dns"},
      {type("boss"), "type"},       {type("solvane/duravex"), "type"}, {type(""), "type"},
      {protocol("rs422"), "protocol"}, {protocol("232"), "protocol"},
      {baud("2400"), "baud"},       {baud("115201"), "baud"},      {baud("09600"), "baud"},
      {baud("9600 "), "baud"},      {baud("0"), "baud"},           {baud(""), "baud"},
      {SetOptionsText{}, ""},
  };
  for (const Case& c : cases) {
    CKestoSettingsChange request;
    std::string sError;
    std::string sField = "unset";
    EXPECT_FALSE(CSetRequest::Parse(c.text, &request, &sError, &sField)) << c.pszNamed;
    // The field's name, as a plan's column names it; the command line adds its "--".
    EXPECT_EQ(sField, c.pszNamed);
    EXPECT_EQ(sError.rfind(*c.pszNamed ? std::string(c.pszNamed) + ": " : "no setting given", 0), 0u) << sError;
  }
}

TEST(SetRequestTest, AcceptsTheDialogsChoices) {
  SetOptionsText text;
  text.sName = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0";  // 27 characters
  text.sIPAddress = "0.0.0.0";
  text.sNetMask = "255.255.255.255";
  text.sType = "PassThrough";
  text.sProtocol = "RS485";
  text.sBaud = "115200";
  CKestoSettingsChange request;
  std::string sError;
  ASSERT_TRUE(CSetRequest::Parse(text, &request, &sError)) << sError;
  EXPECT_EQ(request.dwIPAddress, 0u);
  EXPECT_EQ(request.dwNetMask, 0xFFFFFFFFu);
  EXPECT_EQ(request.cType, 5);
  EXPECT_EQ(request.shProtocol, 1);
  EXPECT_EQ(request.wBaudRate, 49664);  // 115200 cut to 16 bits, as the window stores it

  const std::pair<const char*, int> types[] = {{"master", 2}, {"slave", 3}, {"aprilaire", 4}, {"passthrough", 5}};
  for (const auto& [pszType, iCode] : types) {
    SetOptionsText one;
    one.sType = pszType;
    ASSERT_TRUE(CSetRequest::Parse(one, &request, &sError)) << pszType;
    EXPECT_EQ(request.cType, iCode) << pszType;
  }
  for (int32_t iRate : kDialogBaudRates) {
    SetOptionsText one;
    one.sBaud = std::to_string(iRate);
    ASSERT_TRUE(CSetRequest::Parse(one, &request, &sError)) << iRate;
    EXPECT_EQ(request.wBaudRate, static_cast<uint16_t>(iRate)) << iRate;
  }
}

TEST(SetRequestTest, ApplyWritesOnlyTheGivenFields) {
  KESTO_RECORD record;
  std::memset(record.szName, 'N', sizeof record.szName);
  record.iPort = -1;
  std::memset(record.szVersion, 'V', sizeof record.szVersion);
  record.cType = 9;
  record.byReserved1 = 0xA5;
  record.shProtocol = -3;
  record.wBaudRate = 2400;
  record.byReserved2[0] = 0xDE;
  record.byReserved2[3] = 0xEF;
  record.dwDNS = 0x01020304u;
  const KESTO_RECORD before = record;

  SetOptionsText text;
  text.sName = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0";
  text.sIPAddress = "10.0.0.5";
  text.sBaud = "9600";
  CKestoSettingsChange request;
  std::string sError;
  ASSERT_TRUE(CSetRequest::Parse(text, &request, &sError)) << sError;
  EXPECT_FALSE(request.IsAppliedIn(record));
  request.ApplyTo(record);
  EXPECT_TRUE(request.IsAppliedIn(record));

  KESTO_RECORD expected = before;
  std::memcpy(expected.szName, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0", 28);  // with its NUL
  expected.dwIPAddress = 0x0A000005u;
  expected.wBaudRate = 9600;
  EXPECT_EQ(record, expected);  // port, version, type, protocol, DNS and reserved bytes untouched
}

TEST(SetRequestTest, NamesFollowTheOneNameRule) {
  for (const NameCase& c : NameCases()) {
    SCOPED_TRACE(c.pszWhat);
    KESTO_RECORD record;
    std::memcpy(record.szName, c.sRecordName.data(), c.sRecordName.size());
    record.iPort = 0x01020304;
    SetOptionsText text;
    text.sName = c.sTyped;
    CKestoSettingsChange request;
    std::string sError;
    ASSERT_EQ(CSetRequest::Parse(text, &request, &sError), c.bCommandLineTakes) << sError;
    if (!c.bCommandLineTakes) {
      EXPECT_EQ(sError.rfind("name: ", 0), 0u) << sError;
      EXPECT_NE(sError.find(c.pszRefusal), std::string::npos) << sError;
      continue;
    }
    request.ApplyTo(record);
    EXPECT_EQ(std::string(record.szName, sizeof record.szName),
              c.sStored + std::string(sizeof record.szName - c.sStored.size(), '\0'));
    EXPECT_EQ(record.iPort, 0x01020304);
    EXPECT_TRUE(request.IsAppliedIn(record));
  }
}

TEST(SetRequestTest, ANameNotGivenStaysByteForByteEvenWhenFull) {
  KESTO_RECORD record;
  std::memset(record.szName, 'F', sizeof record.szName);
  const KESTO_RECORD before = record;
  SetOptionsText text;
  text.sType = "slave";
  CKestoSettingsChange request;
  std::string sError;
  ASSERT_TRUE(CSetRequest::Parse(text, &request, &sError)) << sError;
  request.ApplyTo(record);
  EXPECT_EQ(std::memcmp(record.szName, before.szName, sizeof record.szName), 0);
}

TEST(MacTextTest, TakesHyphensOrColonsInEitherCase) {
  struct Case {
    const char* pszText;
    bool bValid;
  };
  const Case cases[] = {
      {"00-1A-2B-3C-4D-5E", true},  {"00:1a:2b:3c:4d:5e", true},  {"00-1a-2B-3c-4D-5e", true},
      {"00-1A-2B-3C-4D", false},    {"00-1A-2B-3C-4D-5E-6F", false}, {"00-1A:2B-3C-4D-5E", false},
      {"00.1A.2B.3C.4D.5E", false}, {"0G-1A-2B-3C-4D-5E", false}, {"001A2B3C4D5E", false},
      {" 00-1A-2B-3C-4D-5", false}, {"", false},
  };
  for (const Case& c : cases) {
    uint8_t byMAC[6] = {1, 1, 1, 1, 1, 1};
    EXPECT_EQ(ParseMAC(c.pszText, byMAC), c.bValid) << c.pszText;
    if (c.bValid) {
      const uint8_t byExpected[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
      EXPECT_EQ(std::memcmp(byMAC, byExpected, 6), 0) << c.pszText;
    } else {
      EXPECT_EQ(byMAC[0], 1) << "left alone on refusal: " << c.pszText;
    }
  }
}

}  // namespace
