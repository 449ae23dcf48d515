#include "app/logic/SerialTerminalSession.h"

#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "support/LoopbackSerialLine.h"

namespace {

// Polls until the shown text holds what is expected or the line ends; bounded by count.
std::string PollFor(CSerialTerminalSession* pSession, const std::string& sExpected, std::string* psEnded) {
  std::string sShown;
  for (int i = 0; i < 500 && sShown.find(sExpected) == std::string::npos && psEnded->empty(); ++i) {
    sShown += pSession->Poll(psEnded);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return sShown;
}

TEST(SerialTerminalSessionTest, TypedTextAndHexBytesComeBackShownAsTheViewSays) {
  LoopbackSerialLine line(false);
  CSerialTerminalSession session(line.Device());
  std::string sError, sEnded;
  ASSERT_TRUE(session.Connect(2000, &sError)) << sError;
  ASSERT_TRUE(session.Send("caf\xc3\xa9", false, "\r\n", &sError)) << sError;
  EXPECT_EQ(PollFor(&session, "\n", &sEnded), "caf\xc3\xa9\n");
  ASSERT_TRUE(session.Send("1b 5b32 4a", true, "\r\n", &sError)) << sError;
  EXPECT_EQ(PollFor(&session, "J", &sEnded), "\\x1b[2J");
  session.ShowHex(true);
  ASSERT_TRUE(session.Send("00ff", true, "", &sError)) << sError;
  EXPECT_EQ(PollFor(&session, "|", &sEnded).substr(0, 16), "00000000  00 ff ");
  EXPECT_EQ(session.BytesSent(), 6u + 4u + 2u);
  EXPECT_TRUE(sEnded.empty()) << sEnded;
}

TEST(SerialTerminalSessionTest, WhatCannotBeSentIsRefusedWithItsReason) {
  LoopbackSerialLine line(false);
  CSerialTerminalSession session(line.Device());
  std::string sError;
  ASSERT_TRUE(session.Connect(2000, &sError)) << sError;
  const struct {
    const char* pszLine;
    bool bHex;
    const char* pszReason;
  } cases[] = {
      {"0d 0", true, "two hex digits"},
      {"0g", true, "\"g\" is not a hex digit"},
      {"\xe2\x82\xac", false, "beyond Latin-1"},
  };
  for (const auto& c : cases) {
    sError.clear();
    EXPECT_FALSE(session.Send(c.pszLine, c.bHex, "\n", &sError)) << c.pszLine;
    EXPECT_NE(sError.find(c.pszReason), std::string::npos) << sError;
  }
  EXPECT_EQ(session.BytesSent(), 0u);
}

TEST(SerialTerminalSessionTest, ABusyPortAndAClosedOneSayWhich) {
  LoopbackSerialLine busy(true);
  CSerialTerminalSession session(busy.Device());
  std::string sError, sEnded;
  ASSERT_TRUE(session.Connect(2000, &sError)) << sError;
  PollFor(&session, "never", &sEnded);
  EXPECT_NE(sEnded.find("busy with another client"), std::string::npos) << sEnded;
  EXPECT_FALSE(session.IsConnected());

  KESTO_RECORD portless = busy.Device();
  portless.iPort = 0;
  CSerialTerminalSession none(portless);
  EXPECT_FALSE(none.Connect(2000, &sError));
  EXPECT_NE(sError.find("has no serial port"), std::string::npos) << sError;
}

}  // namespace
