#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "plan/ChangeHistory.h"
#include "plan/ChangeLog.h"
#include "plan/ChangeLogEntry.h"
#include "plan/UtcTimeText.h"
#include "platform/LockedAppend.h"
#include "platform/StateFolder.h"

namespace {

KESTO_RECORD Record(const char* pszName, uint32_t dwIP) {
  KESTO_RECORD record;
  const uint8_t byMAC[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x01};
  std::memcpy(record.byMAC, byMAC, 6);
  SetRecordName(record, pszName);
  record.dwIPAddress = dwIP;
  record.dwNetMask = 0xFFFFFF00;
  record.wBaudRate = 49664;
  return record;
}

// A temporary state folder, so no test writes the user's own log.
class ChangeLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_folder = std::filesystem::temp_directory_path() /
               ("kesto-changelog-" + std::to_string(std::random_device()()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(m_folder);
#ifdef _WIN32
    ::_putenv_s("LOCALAPPDATA", m_folder.string().c_str());
#else
    ::setenv("XDG_STATE_HOME", m_folder.c_str(), 1);
#endif
    m_sPath = CChangeLog::DefaultPath();
    CChangeLog::Process().Open(m_sPath, "test", [this](const std::string& s) { m_warnings.push_back(s); });
  }
  void TearDown() override {
    CChangeLog::Process().Close();
    std::filesystem::remove_all(m_folder);
  }
  std::vector<std::string> Lines(const std::string& sPath) const {
    std::ifstream in(sPath);
    std::vector<std::string> lines;
    for (std::string s; std::getline(in, s);) lines.push_back(s);
    return lines;
  }

  std::filesystem::path m_folder;
  std::string m_sPath;
  std::vector<std::string> m_warnings;
};

TEST_F(ChangeLogTest, LivesInTheStateFolderAndPairsSendsWithOutcomes) {
#ifdef _WIN32
  EXPECT_EQ(m_sPath, m_folder.string() + "\\Kesto\\changes.jsonl");
#else
  EXPECT_EQ(m_sPath, m_folder.string() + "/kesto/changes.jsonl");
#endif
  {
    CChangeLogEntry confirmed = CChangeLogEntry::Begin(Record("Old\x1b[2J", 0x0A000005), Record("New", 0x0A000006));
    confirmed.Finish(ChangeOutcome::kConfirmed);
    confirmed.Finish(ChangeOutcome::kNotSent);  // only the first outcome counts
    CChangeLogEntry dropped = CChangeLogEntry::Begin(Record("New", 0x0A000006), Record("Next", 0x0A000006));
  }
  ASSERT_EQ(Lines(m_sPath).size(), 4u);
  const CChangeHistory history = CChangeHistory::Read(m_sPath);
  ASSERT_EQ(history.Changes().size(), 2u);
  EXPECT_EQ(history.DamagedCount(), 0u);
  const LoggedChange& newest = history.Changes()[0];
  EXPECT_EQ(FieldText(newest.send.sent.szName, 28), "Next");
  EXPECT_EQ(newest.OutcomeText(), "not confirmed");
  const LoggedChange& oldest = history.Changes()[1];
  EXPECT_EQ(FieldText(oldest.send.old.szName, 28), "Old\x1b[2J");  // the bytes come back exactly
  EXPECT_EQ(oldest.send.old, Record("Old\x1b[2J", 0x0A000005));
  EXPECT_TRUE(oldest.TookEffect());
  EXPECT_EQ(oldest.send.sBy, "test");
  EXPECT_EQ(ChangedFieldTexts(oldest.send.old, oldest.send.sent),
            (std::vector<std::string>{"name: \"Old\\x1b[2J\" -> \"New\"", "ip: 10.0.0.5 -> 10.0.0.6"}));
  EXPECT_TRUE(m_warnings.empty());
}

TEST_F(ChangeLogTest, DamagedLinesAreSkippedAndCounted) {
  { CChangeLogEntry::Begin(Record("A", 1), Record("B", 1)).Finish(ChangeOutcome::kConfirmed); }
  std::string sGood = Lines(m_sPath)[0];
  const std::string sCut = sGood.substr(0, sGood.size() / 2);
  std::string sBadHex = sGood;
  sBadHex.replace(sBadHex.find("\"hex\":\"") + 7, 2, "zz");
  std::string sOtherMac = sGood;
  sOtherMac.replace(sOtherMac.find("00-1A-2B-3C-4D-01"), 17, "00-1A-2B-3C-4D-02");
  const std::string damaged[] = {sCut, sBadHex, sOtherMac, "{}", "[1,2]", "\xff\xfe garbage", std::string(70000, 'x'),
                                 R"({"time":"2026-13-01T00:00:00Z","id":"x","event":"outcome","mac":"00-1A-2B-3C-4D-01","by":"t","outcome":"confirmed"})",
                                 R"({"time":"2026-12-01T00:00:00Z","id":"x","event":"outcome","mac":"00-1A-2B-3C-4D-01","by":"t","outcome":"maybe"})"};
  std::string sText;
  for (const std::string& s : damaged) sText += s + "\n";
  const CChangeHistory history = CChangeHistory::FromTexts({sText + sGood + "\n" + sText});
  EXPECT_EQ(history.DamagedCount(), 2 * std::size(damaged));
  EXPECT_EQ(history.Changes().size(), 1u);
}

TEST_F(ChangeLogTest, RotatesPastTheLimitKeepingOneOldFile) {
  const std::string sLine(100, 'a');
  for (int i = 0; i < 25; ++i)
    ASSERT_TRUE(platform::AppendLocked(m_sPath, sLine + std::to_string(i % 10) + "\n", 1000, 100, nullptr));
  // 101 bytes a line, 1000 bytes a file: lines 0-8, 9-17 and 18-24; the first file is gone.
  EXPECT_EQ(Lines(m_sPath).size(), 7u);
  EXPECT_EQ(Lines(m_sPath + ".1").size(), 9u);
  EXPECT_FALSE(std::filesystem::exists(m_sPath + ".2"));
}

#ifndef _WIN32
TEST_F(ChangeLogTest, TwoProgramsAppendingAtOnceNeverInterleaveALine) {
  constexpr int kLines = 400;
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = ::fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      // Lines longer than a pipe buffer's atomic write, so only the lock keeps them whole.
      const std::string sLine = std::string(8000, static_cast<char>('a' + c)) + "\n";
      for (int i = 0; i < kLines; ++i)
        if (!platform::AppendLocked(m_sPath, sLine, CChangeLog::kRotateBytes, 10000, nullptr)) ::_exit(1);
      ::_exit(0);
    }
  }
  for (pid_t child : children) {
    int iStatus = 0;
    ASSERT_EQ(::waitpid(child, &iStatus, 0), child);
    EXPECT_TRUE(WIFEXITED(iStatus) && WEXITSTATUS(iStatus) == 0);
  }
  const std::vector<std::string> lines = Lines(m_sPath);
  ASSERT_EQ(lines.size(), 2u * kLines);
  for (const std::string& sLine : lines)
    ASSERT_TRUE(sLine == std::string(8000, 'a') || sLine == std::string(8000, 'b'));
}

#endif

TEST_F(ChangeLogTest, ALogThatCannotBeWrittenWarnsOnceAndSendsGoOn) {
  // A folder cannot be made below a plain file.
  { std::ofstream(m_folder.string() + ".file") << "x"; }
  CChangeLog::Process().Open(m_folder.string() + ".file/kesto/changes.jsonl", "test",
                             [this](const std::string& s) { m_warnings.push_back(s); });
  for (int i = 0; i < 3; ++i) CChangeLogEntry::Begin(Record("A", 1), Record("B", 1));
  EXPECT_EQ(m_warnings.size(), 1u);
  EXPECT_EQ(CChangeLog::Process().FailureCount(), 6u);
  std::filesystem::remove(m_folder.string() + ".file");
}

TEST(UtcTimeTextTest, ReadsAndWritesUtcTimes) {
  struct Case {
    const char* pszText;
    bool bValid;
    int64_t llMs;
  };
  const Case cases[] = {
      {"1970-01-01", true, 0},
      {"2026-12-10T02:30:00.123Z", true, 1796869800123},
      {"2026-12-10 02:30", true, 1796869800000},
      {"2000-02-29T23:59:59Z", true, 951868799000},
      {"2026-12-10T24:00", false, 0},
      {"2026-00-10", false, 0},
      {"2026-12-10T02:30:00.12", false, 0},
      {"yesterday", false, 0},
  };
  for (const Case& c : cases) {
    int64_t llMs = -1;
    EXPECT_EQ(ParseUtcMs(c.pszText, &llMs), c.bValid) << c.pszText;
    if (c.bValid) {
      EXPECT_EQ(llMs, c.llMs) << c.pszText;
    }
  }
  EXPECT_EQ(FormatUtcMs(1796869800123), "2026-12-10T02:30:00.123Z");
  int64_t llSince = 0;
  EXPECT_TRUE(ParseSinceMs("2h", 10000000, &llSince));
  EXPECT_EQ(llSince, 10000000 - 7200000);
  EXPECT_FALSE(ParseSinceMs("2w", 0, &llSince));
  EXPECT_FALSE(ParseSinceMs("h", 0, &llSince));
}

}  // namespace
