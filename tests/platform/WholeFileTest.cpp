#include "platform/WholeFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;
using platform::FileReadResult;
using platform::FileWriteResult;

class WholeFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string sTemplate = (fs::temp_directory_path() / "kesto-wholefile-XXXXXX").string();
    ASSERT_NE(::mkdtemp(sTemplate.data()), nullptr);
    m_dir = sTemplate;
  }
  void TearDown() override { fs::remove_all(m_dir); }
  std::string Path(const char* pszName) const { return (m_dir / pszName).string(); }
  static std::string Contents(const std::string& sPath) {
    std::ifstream in(sPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  size_t Entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(m_dir), {})); }
  fs::path m_dir;
};

TEST_F(WholeFileTest, WritesOnlyWhereAllowedAndNamesTheReason) {
  struct Case {
    const char* pszWhat;
    const char* pszName;
    bool bReplace;
    FileWriteResult result;
    const char* pszAfter;   // the file's contents afterwards
    const char* pszReason;  // part of the reason on failure
  };
  std::ofstream(Path("old.json")) << "old";
  const Case cases[] = {
      {"new file", "new.json", false, FileWriteResult::kWritten, "text", ""},
      {"existing, no replace", "old.json", false, FileWriteResult::kExists, "old", ""},
      {"existing, replace", "old.json", true, FileWriteResult::kWritten, "text", ""},
      {"missing directory", "no/such.json", true, FileWriteResult::kFailed, nullptr, "No such file or directory"},
  };
  for (const Case& c : cases) {
    std::string sReason;
    EXPECT_EQ(platform::WriteWholeFile(Path(c.pszName), "text", c.bReplace, &sReason), c.result) << c.pszWhat;
    if (c.pszAfter != nullptr) {
      EXPECT_EQ(Contents(Path(c.pszName)), c.pszAfter) << c.pszWhat;
    }
    EXPECT_NE(sReason.find(c.pszReason), std::string::npos) << c.pszWhat << ": " << sReason;
  }
  EXPECT_EQ(Entries(), 2u) << "a temporary was left behind";
}

TEST_F(WholeFileTest, APlantedLinkIsNeverFollowed) {
  // Links at the old fixed temporary name and at the target: neither target is written through.
  std::ofstream(Path("victim")) << "precious";
  fs::create_symlink(Path("victim"), Path("out.json.tmp"));
  fs::create_symlink(Path("victim"), Path("link.json"));
  std::string sReason;
  EXPECT_EQ(platform::WriteWholeFile(Path("out.json"), "text", false, &sReason), FileWriteResult::kWritten);
  EXPECT_EQ(platform::WriteWholeFile(Path("link.json"), "text", false, &sReason), FileWriteResult::kExists);
  EXPECT_EQ(platform::WriteWholeFile(Path("link.json"), "text", true, &sReason), FileWriteResult::kWritten);
  EXPECT_EQ(Contents(Path("victim")), "precious");
  EXPECT_FALSE(fs::is_symlink(Path("link.json")));
  EXPECT_EQ(Contents(Path("out.json")), "text");
}

TEST_F(WholeFileTest, ReadsFilesAndPipesRefusesTheRestWithItsReason) {
  std::ofstream(Path("plan.csv")) << "mac\n";
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  struct Case {
    const char* pszWhat;
    std::string sPath;
    size_t nMax;
    bool bStop;
    FileReadResult result;
    const char* pszReason;
  };
  const Case cases[] = {
      {"file", Path("plan.csv"), 100, false, FileReadResult::kRead, ""},
      {"too large", Path("plan.csv"), 3, false, FileReadResult::kTooLarge, ""},
      {"missing", Path("none.csv"), 100, false, FileReadResult::kFailed, "No such file or directory"},
      {"directory", m_dir.string(), 100, false, FileReadResult::kFailed, "directory"},
      {"device", "/dev/null", 100, false, FileReadResult::kFailed, "device"},
      // A FIFO nobody writes to waits; a stop signal ends the wait.
      {"silent FIFO, stopped", Path("fifo"), 100, true, FileReadResult::kStopped, ""},
  };
  for (const Case& c : cases) {
    const volatile std::sig_atomic_t bStop = c.bStop ? 1 : 0;
    std::string sText, sReason;
    EXPECT_EQ(platform::ReadWholeFile(c.sPath, c.nMax, &bStop, &sText, &sReason), c.result) << c.pszWhat;
    EXPECT_NE(sReason.find(c.pszReason), std::string::npos) << c.pszWhat << ": " << sReason;
    if (c.result == FileReadResult::kRead) {
      EXPECT_EQ(sText, "mac\n");
    }
  }
}

}  // namespace
