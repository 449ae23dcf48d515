#include "discovery/KestoRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "discovery/KestoInfo.h"
#include "discovery/KestoName.h"
#include "discovery/KestoRecordRules.h"
#include "discovery/KestoWire.h"
#include "support/RecordBuilder.h"

namespace {

using kesto_wire::DecodeRecord;
using kesto_wire::EncodeRecord;

std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, size_t off, size_t n) {
  return std::vector<uint8_t>(bytes.begin() + static_cast<long>(off), bytes.begin() + static_cast<long>(off + n));
}

TEST(KestoWireTest, FieldsLandAtTheirOffsetsLittleEndian) {
  KESTO_RECORD record;
  record.dwIPAddress = 0xC0A8010Au;  // 192.168.1.10
  record.dwNetMask = 0xFFFFFF00u;
  record.dwGateway = 0x01020304u;
  record.dwDNS = 0x08080808u;
  const uint8_t mac[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
  std::memcpy(record.byMAC, mac, 6);
  record.iPort = 10000;
  record.cType = -3;
  record.byReserved1 = 0xAB;
  record.shProtocol = -2;
  record.wBaudRate = 49664;
  const uint8_t reserved2[4] = {1, 2, 3, 4};
  std::memcpy(record.byReserved2, reserved2, 4);
  const std::vector<uint8_t> bytes = RecordBytes(record);

  const struct { size_t off; std::vector<uint8_t> expected; } cases[] = {
      {0, {0x0A, 0x01, 0xA8, 0xC0}},
      {4, {0x00, 0xFF, 0xFF, 0xFF}},
      {8, {0x04, 0x03, 0x02, 0x01}},
      {12, {0x08, 0x08, 0x08, 0x08}},
      {16, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}},
      {50, {0x10, 0x27, 0x00, 0x00}},
      {90, {0xFD}},
      {91, {0xAB}},
      {92, {0xFE, 0xFF}},
      {94, {0x00, 0xC2}},
      {96, {1, 2, 3, 4}},
  };
  for (const auto& c : cases) EXPECT_EQ(Slice(bytes, c.off, c.expected.size()), c.expected) << "offset " << c.off;
}

TEST(KestoWireTest, DecodeEncodeIsExactForAnyBytes) {
  std::vector<uint8_t> bytes(100);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
  const KESTO_RECORD record = DecodeRecord(bytes.data());
  EXPECT_EQ(RecordBytes(record), bytes);
}

TEST(KestoWireTest, Datagrams) {
  uint8_t discover[8];
  kesto_wire::EncodeDiscover(discover);
  EXPECT_EQ(std::vector<uint8_t>(discover, discover + 8), (std::vector<uint8_t>{4, 0, 0, 0, 0, 0, 0, 0}));

  const KESTO_RECORD record = MakeRecord(7);
  uint8_t setConfig[104];
  kesto_wire::EncodeSetConfig(record, setConfig);
  EXPECT_EQ(std::vector<uint8_t>(setConfig, setConfig + 4), (std::vector<uint8_t>{7, 0, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(setConfig + 4, setConfig + 104), RecordBytes(record));

  uint32_t dwCommand = 0;
  EXPECT_FALSE(kesto_wire::DecodeCommand(setConfig, 3, &dwCommand));
  EXPECT_TRUE(kesto_wire::DecodeCommand(setConfig, 4, &dwCommand));
  EXPECT_EQ(dwCommand, KESTO_CMD_SET_CONFIG);
}

TEST(KestoRecordTest, TextForms) {
  const uint8_t mac[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
  EXPECT_EQ(FormatMAC(mac), "00-1A-2B-3C-4D-5E");
  const uint8_t macHigh[6] = {0xFF, 0xab, 0x01, 0x00, 0x10, 0xF0};
  EXPECT_EQ(FormatMAC(macHigh), "FF-AB-01-00-10-F0");

  const struct { uint32_t dw; const char* text; } addresses[] = {
      {0xC0A8010Au, "192.168.1.10"}, {0, "0.0.0.0"}, {0xFFFFFFFFu, "255.255.255.255"}, {0x0A000005u, "10.0.0.5"}};
  for (const auto& c : addresses) EXPECT_EQ(FormatAddress(c.dw), c.text);

  const struct { int32_t iPort; const char* text; } ports[] = {
      {10000, "10000"}, {1, "1"}, {0, "-"}, {-1, "-"}, {INT32_MIN, "-"}, {INT32_MAX, "2147483647"}};
  for (const auto& c : ports) EXPECT_EQ(FormatPort(c.iPort), c.text);

  const char* types[] = {"", "Solvane/Duravex", "Master", "Slave", "Aprilaire", "Passthrough", ""};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(TypeText(i), types[i]) << i;
  EXPECT_EQ(TypeText(-1), "");
}

TEST(KestoRecordTest, TextFieldsWithoutNulStopAtTheirEnd) {
  KESTO_RECORD record;
  std::memset(record.szName, 'N', sizeof record.szName);
  std::memset(record.szVersion, 'V', sizeof record.szVersion);
  record.iPort = 0x41414141;  // "AAAA" must never join the name
  record.cType = 'T';
  CKestoInfo info(record, 0);
  EXPECT_EQ(info.GetName(), std::string(28, 'N'));
  EXPECT_EQ(info.GetVersion(), std::string(36, 'V'));
  std::memcpy(record.szName, "ab\0cd", 5);
  EXPECT_EQ(FieldText(record.szName, sizeof record.szName), "ab");
}

TEST(KestoRecordTest, SetRecordNameStaysInsideTheNameField) {
  const struct { std::string name; std::string stored; } cases[] = {
      {"", ""},
      {"short", "short"},
      {std::string(27, 'x'), std::string(27, 'x')},
      {std::string(28, 'y'), std::string(27, 'y')},
      {std::string(40, 'z'), std::string(27, 'z')},
  };
  for (const auto& c : cases) {
    KESTO_RECORD record = MakeRecord(1);
    std::memset(record.szName, 'Q', sizeof record.szName);
    record.iPort = -1;
    const std::vector<uint8_t> before = RecordBytes(record);
    SetRecordName(record, c.name);
    const std::vector<uint8_t> after = RecordBytes(record);
    EXPECT_EQ(FieldText(record.szName, sizeof record.szName), c.stored);
    EXPECT_EQ(record.szName[27], 0);
    for (size_t i = c.stored.size(); i < 28; ++i) EXPECT_EQ(record.szName[i], 0) << i;
    EXPECT_EQ(Slice(after, 0, 22), Slice(before, 0, 22));
    EXPECT_EQ(Slice(after, 50, 50), Slice(before, 50, 50)) << "iPort and later fields untouched";
  }
}

TEST(KestoRecordTest, ParseAddress) {
  const struct { const char* text; bool ok; uint32_t dw; } cases[] = {
      {"192.168.1.10", true, 0xC0A8010Au}, {"0.0.0.0", true, 0},
      {"255.255.255.255", true, 0xFFFFFFFFu}, {"010.001.000.009", true, 0x0A010009u},
      {"256.0.0.1", false, 0}, {"1.2.3", false, 0}, {"1.2.3.4.5", false, 0}, {"1..2.3", false, 0},
      {"", false, 0}, {" 1.2.3.4", false, 0}, {"1.2.3.4 ", false, 0}, {"1.2.3.-4", false, 0},
      {"1.2.3.0004", false, 0}, {"a.b.c.d", false, 0}, {"1.2.3.4/24", false, 0},
  };
  for (const auto& c : cases) {
    uint32_t dw = 0x12345678u;
    EXPECT_EQ(ParseAddress(c.text, &dw), c.ok) << c.text;
    EXPECT_EQ(dw, c.ok ? c.dw : 0x12345678u) << c.text;
  }
}

}  // namespace

namespace {

TEST(KestoNameTest, EveryByteComesBackThroughItsLatin1Text) {
  for (int i = 1; i < 256; ++i) {
    const std::string sByte(1, static_cast<char>(i));
    std::string sBytes, sError;
    // As the name the record holds every byte comes back; a new name takes no control character.
    ASSERT_TRUE(NameFromText(Latin1ToUtf8(sByte), sByte, &sBytes, &sError)) << i << ": " << sError;
    EXPECT_EQ(sBytes, sByte) << i;
    const bool bControl = i < 0x20 || (i >= 0x7F && i < 0xA0);
    EXPECT_EQ(NameFromText(Latin1ToUtf8(sByte), {}, &sBytes, &sError), !bControl) << i;
  }
  // A full field keeps all 28 bytes; iPort beside it is untouched.
  KESTO_RECORD record;
  record.iPort = 0x01020304;
  SetRecordNameField(record, std::string(40, 'F'));
  EXPECT_EQ(RecordNameBytes(record), std::string(28, 'F'));
  EXPECT_EQ(record.iPort, 0x01020304);
}

}  // namespace
