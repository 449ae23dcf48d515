// RunProgram keeps its bounds: time, output size, and programs that cannot start.
#include <gtest/gtest.h>

#include "platform/ProgramRun.h"

TEST(ProgramRunTest, OutputExitCodeAndBounds) {
  const struct {
    const char* pszCase;
    std::vector<std::string> argv;
    bool bStarted, bTimedOut, bCut;
    int iExitCode;
    const char* pszOutput;
    const char* pszErrors;
  } cases[] = {
      {"plain", {"sh", "-c", "printf 'a b'; printf oops >&2; exit 3"}, true, false, false, 3, "a b", "oops"},
      {"no shell between", {"printf", "%s|", "x y", "$HOME"}, true, false, false, 0, "x y|$HOME|", ""},
      {"cut at the limit", {"sh", "-c", "head -c 100000 /dev/zero | tr '\\0' x"}, true, false, true, 0,
       "xxxxxxxxxxxxxxxx", ""},
      {"killed in time", {"sleep", "30"}, true, true, false, -1, "", ""},
      {"closes its output and lingers", {"sh", "-c", "exec >&- 2>&-; sleep 30"}, true, true, false, -1, "", ""},
      {"not found", {"kesto-no-such-program"}, false, false, false, -1, "", ""},
  };
  for (const auto& c : cases) {
    // Those that end by themselves get room on a busy machine; the others are cut short.
    const platform::ProgramResult result = platform::RunProgram(c.argv, c.bTimedOut ? 300 : 20000, 16);
    EXPECT_EQ(result.bStarted, c.bStarted) << c.pszCase;
    EXPECT_EQ(result.bTimedOut, c.bTimedOut) << c.pszCase;
    EXPECT_EQ(result.bCut, c.bCut) << c.pszCase;
    EXPECT_EQ(result.iExitCode, c.iExitCode) << c.pszCase;
    EXPECT_EQ(result.sOutput, c.pszOutput) << c.pszCase;
    EXPECT_EQ(result.sErrors, c.pszErrors) << c.pszCase;
    EXPECT_EQ(result.sError.empty(), c.bStarted) << c.pszCase;
  }
}
