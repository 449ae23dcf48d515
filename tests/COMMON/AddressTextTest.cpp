#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>

#include "COMMON/ZNAddressText.h"
#include "COMMON/ZNSockAddr.h"

namespace {

TEST(AddressToTextTest, ListsTheBytesLowestFirst) {
  // Memory bytes 192, 168, 0, 10 in network order.
  uint32_t dwValue = 192u | 168u << 8 | 0u << 16 | 10u << 24;
  EXPECT_EQ(AddressToText(dwValue), "192.168.0.10");
  EXPECT_EQ(AddressToText(0), "0.0.0.0");
  EXPECT_EQ(AddressToText(0xFFFFFFFFu), "255.255.255.255");
}

TEST(SockAddrTest, MakeFillsFamilyBytesAndNetworkOrderPortAndLeavesTheRest) {
  platform::SocketAddress address;
  std::memset(address.byZero, 0x5A, sizeof address.byZero);
  MakeSockAddr(address, 10, 1, 2, 3, 8080);
  uint8_t byImage[16];
  std::memcpy(byImage, &address, sizeof byImage);
  const uint8_t byExpected[8] = {0, 0, 0x1F, 0x90, 10, 1, 2, 3};
  EXPECT_EQ(address.shFamily, 2);
  EXPECT_EQ(std::memcmp(byImage + 2, byExpected + 2, 6), 0) << "port high byte first, then the address";
  for (uint8_t by : address.byZero) EXPECT_EQ(by, 0x5A);
  EXPECT_EQ(GetSockAddrText(address), "10.1.2.3");

  uint8_t b1 = 0, b2 = 0, b3 = 0, b4 = 0;
  uint16_t shPort = 0;
  SplitSockAddr(address, b1, b2, b3, b4, shPort);
  EXPECT_EQ((std::to_string(b1) + "." + std::to_string(b2) + "." + std::to_string(b3) + "." + std::to_string(b4)),
            "10.1.2.3");
  EXPECT_EQ(shPort, 8080);
}

struct IsAddressCase {
  const char* pszText;
  bool bExpected;
};

void PrintTo(const IsAddressCase& c, std::ostream* pOut) { *pOut << '"' << c.pszText << '"'; }

class IsAddressTextTableTest : public testing::TestWithParam<IsAddressCase> {};

TEST_P(IsAddressTextTableTest, TestsOnlyTheCharactersAroundTheDots) {
  EXPECT_EQ(IsAddressText(GetParam().pszText), GetParam().bExpected) << '"' << GetParam().pszText << '"';
}

INSTANTIATE_TEST_SUITE_P(Texts, IsAddressTextTableTest,
                         testing::Values(IsAddressCase{"10.0.0.1", true}, IsAddressCase{"1a2.3b4.5.6", true},
                                         IsAddressCase{"999.999.999.999", true},
                                         IsAddressCase{"1.2.3.4.5.6", true}, IsAddressCase{"x1.2.3.4junk", true},
                                         IsAddressCase{".1.2.3", false}, IsAddressCase{"1..2.3", false},
                                         IsAddressCase{"1.2.3", false}, IsAddressCase{"1.2.3.", false},
                                         IsAddressCase{"1.2.3.x", false}, IsAddressCase{"1.2.a.4", false},
                                         IsAddressCase{"", false}, IsAddressCase{"...", false}),
                         [](const testing::TestParamInfo<IsAddressCase>& info) {
                           std::string sName = "Text" + std::to_string(info.index) + "_";
                           for (const char* p = info.param.pszText; *p; ++p)
                             sName += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return sName;
                         });

struct ParseCase {
  const char* pszName;
  const char* pszText;
  const char* pszMarker;
  bool bWantPort;
  bool bExpected;
  uint8_t byAddress[4];
  int32_t iPort;
  const char* pszTextAfter;
};

void PrintTo(const ParseCase& c, std::ostream* pOut) { *pOut << c.pszName; }

class ParseAddressTextTableTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseAddressTextTableTest, ReadsTheNumbersAndBlanksTheSeparators) {
  const ParseCase& c = GetParam();
  std::string sText = c.pszText;
  uint8_t by[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  int32_t iPort = -77;
  bool bResult = ParseAddressText(sText, c.pszMarker, &by[0], &by[1], &by[2], &by[3], c.bWantPort ? &iPort : nullptr);
  ASSERT_EQ(bResult, c.bExpected);
  EXPECT_EQ(sText, c.pszTextAfter);
  if (!c.bExpected) {
    for (uint8_t b : by) EXPECT_EQ(b, 0xEE) << "outputs are written only on success";
    EXPECT_EQ(iPort, -77);
    return;
  }
  for (int i = 0; i < 4; ++i) EXPECT_EQ(by[i], c.byAddress[i]) << "byte " << i;
  if (c.bWantPort) {
    EXPECT_EQ(iPort, c.iPort);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseAddressTextTableTest,
    testing::Values(
        ParseCase{"MarkerAndPort", "IP=10.1.2.3:80\r", "IP=", true, true, {10, 1, 2, 3}, 80, "IP=10 1 2 3 80 "},
        ParseCase{"MarkerWithoutPortStopsAtColon", "IP=10.1.2.3:80\r", "IP=", false, true, {10, 1, 2, 3}, 0,
                  "IP=10 1 2 3:80 "},
        ParseCase{"EmptyMarkerStartsAtTheBeginning", "192.168.0.10", "", false, true, {192, 168, 0, 10}, 0,
                  "192 168 0 10"},
        ParseCase{"MarkerLaterInTheText", "x=1.1.1.1 IP= 7.8.9.10\nrest", "IP=", false, true, {7, 8, 9, 10}, 0,
                  "x=1.1.1.1 IP= 7 8 9 10 rest"},
        ParseCase{"GroupsAboveTwoFiftyFiveKeepLowBits", "300.256.511.1000", "", false, true, {44, 0, 255, 232}, 0,
                  "300 256 511 1000"},
        ParseCase{"SignsAndBlanksAsAtoiReads", " -1.+2. 3.4", "", false, true, {255, 2, 3, 4}, 0, " -1 +2  3 4"},
        ParseCase{"PortKeepsItsFullValue", "1.2.3.4:99999\n", "", true, true, {1, 2, 3, 4}, 99999, "1 2 3 4 99999 "},
        ParseCase{"MissingPortFails", "IP=10.1.2.3\r", "IP=", true, false, {}, 0, "IP=10 1 2 3\r"},
        ParseCase{"MissingMarkerFails", "10.1.2.3", "IP=", false, false, {}, 0, "10.1.2.3"},
        ParseCase{"MissingDotFailsKeepingEarlierBlanks", "10.1.2", "", false, false, {}, 0, "10 1 2"},
        ParseCase{"NoDotsFails", "localhost", "", false, false, {}, 0, "localhost"},
        ParseCase{"ColonBeforeTheThirdDotIsNotSeen", "1:2.3.4.5", "", true, false, {}, 0, "1:2 3 4 5"}),
    [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.pszName); });

// The text is given exactly the room it has, so the sanitizer sees any read or write beyond it.
std::unique_ptr<char[]> Unterminated(const char* pszText, size_t* pnSize) {
  *pnSize = std::strlen(pszText);
  auto pText = std::make_unique<char[]>(*pnSize);
  std::memcpy(pText.get(), pszText, *pnSize);
  return pText;
}

TEST(ParseAddressTextTest, StaysInsideATextWithoutTerminator) {
  size_t nSize = 0;
  auto pText = Unterminated("1.2.3.4", &nSize);
  uint8_t by[4] = {};
  ASSERT_TRUE(ParseAddressText(pText.get(), nSize, nullptr, &by[0], &by[1], &by[2], &by[3], nullptr));
  EXPECT_EQ(std::string(pText.get(), nSize), "1 2 3 4");
  EXPECT_EQ(by[3], 4);

  pText = Unterminated("1.2.3.4", &nSize);
  int32_t iPort = 0;
  EXPECT_FALSE(ParseAddressText(pText.get(), nSize, nullptr, &by[0], &by[1], &by[2], &by[3], &iPort));

  pText = Unterminated("1.2.3.4:65535", &nSize);
  ASSERT_TRUE(ParseAddressText(pText.get(), nSize, nullptr, nullptr, nullptr, nullptr, nullptr, &iPort));
  EXPECT_EQ(iPort, 65535);

  pText = Unterminated("xxIP", &nSize);
  EXPECT_FALSE(ParseAddressText(pText.get(), nSize, "IP=", nullptr, nullptr, nullptr, nullptr, nullptr));
}

TEST(ParseAddressTextTest, SizeShorterThanTheStringEndsTheText) {
  char szText[] = "10.1.2.3:80";
  uint8_t by4 = 0;
  // Only "10.1.2" is the text: two dots, so the third is missing.
  EXPECT_FALSE(ParseAddressText(szText, 6, nullptr, nullptr, nullptr, nullptr, &by4, nullptr));
  EXPECT_STREQ(szText, "10 1 2.3:80");
  char szFour[] = "10.1.2.3:80";
  ASSERT_TRUE(ParseAddressText(szFour, 8, nullptr, nullptr, nullptr, nullptr, &by4, nullptr));
  EXPECT_EQ(by4, 3);
  EXPECT_STREQ(szFour, "10 1 2 3:80");
}

TEST(ParseAddressTextTest, NulInsideTheSizeEndsTheText) {
  char szText[] = "1.2.3.4\0:80";
  int32_t iPort = 0;
  EXPECT_FALSE(ParseAddressText(szText, sizeof szText, nullptr, nullptr, nullptr, nullptr, nullptr, &iPort));
  EXPECT_EQ(std::string(szText, sizeof szText - 1), std::string("1 2 3 4\0:80", 11));
}

}  // namespace
