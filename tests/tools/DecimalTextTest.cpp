#include "tools/DecimalText.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

TEST(DecimalTextTest, OnlyPlainDecimalDigitsAreNumbers) {
  struct Case {
    const char* pszText;
    long long llMin, llMax;
    bool bTaken;
    long long llValue;
  };
  const Case cases[] = {
      {"10", 0, 65535, true, 10},
      {"010", 0, 65535, true, 10},
      {"0", 0, 65535, true, 0},
      {"000", 0, 65535, true, 0},
      {"65535", 0, 65535, true, 65535},
      {"65536", 0, 65535, false, 0},
      {"0x50", 0, 65535, false, 0},
      {"0X50", 0, 65535, false, 0},
      {"0b1", 0, 65535, false, 0},
      {"1e3", 0, 65535, false, 0},
      {"+5", 0, 65535, false, 0},
      {" 5", 0, 65535, false, 0},
      {"5 ", 0, 65535, false, 0},
      {"", 0, 65535, false, 0},
      {"-", -5, 5, false, 0},
      {"-1", 0, 65535, false, 0},
      {"-5", -5, 5, true, -5},
      {"-6", -5, 5, false, 0},
      {"1.0", 0, 65535, false, 0},
      {"٣", 0, 65535, false, 0},
      {"4294967295", 0, 4294967295LL, true, 4294967295LL},
      {"4294967296", 0, 4294967295LL, false, 0},
      {"9223372036854775807", 0, LLONG_MAX, true, LLONG_MAX},
      {"9223372036854775808", 0, LLONG_MAX, false, 0},
      {"-9223372036854775808", LLONG_MIN, 0, true, LLONG_MIN},
      {"18446744073709551615", 0, LLONG_MAX, false, 0},
      {"000000000000000000000000000000000000000001", 0, 1, true, 1},
      {"99999999999999999999999999999999999999999", 0, 65535, false, 0},
  };
  for (const Case& c : cases) {
    long long llValue = 77;
    std::string sError;
    EXPECT_EQ(ParseDecimal(c.pszText, c.llMin, c.llMax, &llValue, &sError), c.bTaken) << c.pszText;
    EXPECT_EQ(llValue, c.bTaken ? c.llValue : 77) << c.pszText;
    if (!c.bTaken) {
      EXPECT_NE(sError.find("is not a decimal number from"), std::string::npos) << sError;
    }
  }
}

TEST(DecimalTextTest, FractionsAreDecimalAndWithinZeroToOne) {
  struct Case {
    const char* pszText;
    bool bTaken;
    double dValue;
  };
  const Case cases[] = {
      {"0", true, 0.0},   {"1", true, 1.0},       {"0.25", true, 0.25}, {".5", true, 0.5},   {"1.", true, 1.0},
      {"nan", false, 0},  {"NaN", false, 0},      {"inf", false, 0},    {"-0.1", false, 0},  {"1.5", false, 0},
      {"1e-1", false, 0}, {"0x0.8p0", false, 0},  {".", false, 0},      {"0.1.2", false, 0}, {"", false, 0},
      {" 0.5", false, 0}, {"+0.5", false, 0},
  };
  for (const Case& c : cases) {
    double dValue = 7.0;
    std::string sError;
    EXPECT_EQ(ParseDecimalFraction(c.pszText, &dValue, &sError), c.bTaken) << c.pszText;
    EXPECT_EQ(dValue, c.bTaken ? c.dValue : 7.0) << c.pszText;
  }
}

}  // namespace
