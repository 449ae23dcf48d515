#include "COMMON/ZNError.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/DebugOutput.h"

namespace {

// Collects what the error object writes to the debugger output.
class ZNErrorTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::SetDebugOutputSink([this](std::string_view text) { m_lines.emplace_back(text); });
  }
  void TearDown() override { platform::SetDebugOutputSink(nullptr); }

  std::vector<std::string> m_lines;
};

struct ErrorCase {
  const char* pszName;
  CZNError (*make)();
  int32_t iNumber;
  std::string sFile;
  int32_t iLine;
  std::string sDebugLine;
};

TEST_F(ZNErrorTest, EachConstructorKeepsItsFieldsAndWritesItsLine) {
  const ErrorCase cases[] = {
      {"default", [] { return CZNError(); }, 0, "Unknown", -1, "CZNError: Unknown\n"},
      {"number", [] { return CZNError(5); }, 5, "Unknown", -1, "CZNError: #=5\n"},
      {"negative number", [] { return CZNError(-2147483647 - 1); }, -2147483647 - 1, "Unknown", -1,
       "CZNError: #=-2147483648\n"},
      {"number, file, line", [] { return CZNError(0, "..\\COMMON\\znmsg", 1251); }, 0, "..\\COMMON\\znmsg",
       1251, "CZNError: #=0, File=..\\COMMON\\znmsg, Line=1251\n"},
      {"absent file", [] { return CZNError(3, nullptr, 7); }, 3, "", 7, "CZNError: #=3, File=(null), Line=7\n"},
      {"empty file", [] { return CZNError(8, "", -1); }, 8, "", -1, "CZNError: #=8, File=, Line=-1\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pszName);
    m_lines.clear();
    const CZNError error = c.make();
    EXPECT_EQ(error.m_iNumber, c.iNumber);
    EXPECT_EQ(error.m_sFile, c.sFile);
    EXPECT_EQ(error.m_iLine, c.iLine);
    ASSERT_EQ(m_lines.size(), 1u);
    EXPECT_EQ(m_lines[0], c.sDebugLine);

    // Copies, by construction or assignment, write nothing.
    const CZNError copy(error);
    CZNError assigned(1);
    m_lines.clear();
    assigned = copy;
    EXPECT_TRUE(m_lines.empty());
    EXPECT_EQ(copy.m_iNumber, c.iNumber);
    EXPECT_EQ(copy.m_sFile, c.sFile);
    EXPECT_EQ(assigned.m_iLine, c.iLine);
  }
}

TEST_F(ZNErrorTest, ThrownByValueWritesOneLine) {
  try {
    throw CZNError(0, "..\\COMMON\\znmsg", 1306);
  } catch (CZNError error) {  // by value, as the library's callers catch it
    EXPECT_EQ(error.m_iLine, 1306);
  }
  ASSERT_EQ(m_lines.size(), 1u);
  EXPECT_EQ(m_lines[0], "CZNError: #=0, File=..\\COMMON\\znmsg, Line=1306\n");
}

}  // namespace
