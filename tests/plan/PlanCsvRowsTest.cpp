#include "plan/PlanCsvRows.h"

#include <gtest/gtest.h>

namespace {

TEST(PlanCsvRowsTest, SplitsRowsAndRefusesWhatIsMalformed) {
  struct Case {
    const char* pszWhat;
    std::string sText;
    CsvRows rows;           // when it splits
    const char* pszError;   // when it is refused
  };
  const Case cases[] = {
      {"CR alone ends a row", "a,b\rc,d", {{"a", "b"}, {"c", "d"}}, nullptr},
      {"empty cells at both ends", ",x,\n", {{"", "x", ""}}, nullptr},
      {"quoted empty cell is a row", "\"\"\n\n\r\n", {{""}}, nullptr},
      {"quoted comma, CR, LF and quote", "\"a,\r\n\"\"b\"\"\",c", {{"a,\r\n\"b\"", "c"}}, nullptr},
      {"bytes kept as they are", std::string("\x00\xFF ,\t", 5), {{std::string("\x00\xFF ", 3), "\t"}}, nullptr},
      {"BOM only", "\xEF\xBB\xBF", {}, nullptr},
      {"quote inside a cell", "mac\nab\"c\n", {}, "near row 2: a quote inside an unquoted cell"},
      {"text after a closing quote", "\"a\"b", {}, "near row 1: text after a closing quote"},
      {"open quote", "a\n\"b,\n", {}, "a quoted cell is not closed"},
      {"one row too many", "a\nb\nc\nd", {}, "more than 3 rows"},
  };
  for (const Case& c : cases) {
    CsvRows rows;
    std::string sError;
    const bool bSplit = SplitCsvRows(c.sText, 3, 64, &rows, &sError);
    EXPECT_EQ(bSplit, c.pszError == nullptr) << c.pszWhat << ": " << sError;
    if (c.pszError == nullptr)
      EXPECT_EQ(rows, c.rows) << c.pszWhat;
    else
      EXPECT_NE(sError.find(c.pszError), std::string::npos) << c.pszWhat << ": " << sError;
  }
}

}  // namespace
