// The self-test mode's arguments: what is taken, and that anything else stops
// the program instead of being ignored.
#include "tests/win32/SelfTestOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool Parse(std::vector<std::string> args, SelfTestOptions* pOptions, std::string* psError) {
  std::vector<char*> argv{const_cast<char*>("kesto-manager.exe")};
  for (std::string& s : args) argv.push_back(s.data());
  return ParseSelfTestOptions(static_cast<int>(argv.size()), argv.data(), pOptions, psError);
}

TEST(SelfTestOptionsTest, NoArgumentsLeaveTheModeOff) {
  SelfTestOptions options;
  std::string sError;
  ASSERT_TRUE(Parse({}, &options, &sError));
  EXPECT_FALSE(options.IsOn());
  EXPECT_EQ(options.nExpect, 1);
  EXPECT_EQ(options.dwTimeoutMs, 15000u);
}

TEST(SelfTestOptionsTest, TakesEveryOption) {
  SelfTestOptions options;
  std::string sError;
  ASSERT_TRUE(Parse({"--self-test=C:\\r.txt", "--expect=3", "--timeout=600000", "--screenshot=m.bmp",
                     "--config-screenshot=c.bmp", "--set-ip=10.77.0.99", "--share-ip", "--filter=Boiler", "--more-screenshots=C:\\shots"},
                    &options, &sError))
      << sError;
  EXPECT_TRUE(options.IsOn());
  EXPECT_EQ(options.sReport, "C:\\r.txt");
  EXPECT_EQ(options.nExpect, 3);
  EXPECT_EQ(options.dwTimeoutMs, 600000u);
  EXPECT_EQ(options.sMainShot, "m.bmp");
  EXPECT_EQ(options.sConfigShot, "c.bmp");
  EXPECT_TRUE(options.bSetIP);
  EXPECT_EQ(options.dwSetIP, 0x0A4D0063u);
  EXPECT_TRUE(options.bShareIP);
  EXPECT_EQ(options.sFilter, "Boiler");
  EXPECT_EQ(options.sMoreShots, "C:\\shots");
}

TEST(SelfTestOptionsTest, RefusesWhatItDoesNotKnow) {
  const std::vector<std::vector<std::string>> kBad = {
      {"--self-test"},  // no file
      {"--self-test="},
      {"--self-test=r", "--expect=0"},  // at least one row
      {"--self-test=r", "--expect=-1"},
      {"--self-test=r", "--expect=3x"},
      {"--self-test=r", "--timeout=600001"},  // bounded
      {"--self-test=r", "--timeout="},
      {"--self-test=r", "--broadcast"},  // unknown
      {"/self-test=r"},
      {"--screenshot=m.bmp"},  // captures only in the self-test
      {"--config-screenshot=c.bmp", "--set-ip=10.77.0.99"},
      {"--set-ip=10.0.0.1"},
      {"--share-ip"},
      {"--filter=x"},
      {"--more-screenshots=d"},
      {"--self-test=r", "--more-screenshots="},
      {"--self-test=r", "--filter="},
      {"--self-test=r", "--share-ip=1"},
      {"--self-test=r", "--set-ip=10.0.0"},
      {"--self-test=r", "--set-ip=10.0.0.256"},
  };
  for (const auto& args : kBad) {
    SelfTestOptions options;
    std::string sError;
    EXPECT_FALSE(Parse(args, &options, &sError)) << args.back();
    EXPECT_FALSE(sError.empty());
  }
}

}  // namespace
