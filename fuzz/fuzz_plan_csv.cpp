// Feeds fuzzer-chosen bytes to the CSV reader of plans and checks that what it
// accepts comes back unchanged when written out again with every cell quoted,
// and that what it refuses says why.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "plan/PlanCsvRows.h"

namespace {

void Check(bool bCondition) {
  if (!bCondition) std::abort();
}

std::string Quoted(const CsvRows& rows) {
  std::string sText;
  for (const auto& row : rows) {
    for (size_t i = 0; i < row.size(); ++i) {
      if (i > 0) sText += ',';
      sText += '"';
      for (const char c : row[i]) sText += c == '"' ? std::string("\"\"") : std::string(1, c);
      sText += '"';
    }
    sText += "\r\n";
  }
  return sText;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
  constexpr size_t kMaxRows = 64;
  const std::string_view text(reinterpret_cast<const char*>(pData), nSize);
  CsvRows rows;
  std::string sError;
  if (!SplitCsvRows(text, kMaxRows, kMaxRows, &rows, &sError)) {
    Check(!sError.empty() && rows.empty());
    return 0;
  }
  Check(rows.size() <= kMaxRows);
  for (const auto& row : rows) Check(!row.empty());
  CsvRows again;
  Check(SplitCsvRows(Quoted(rows), kMaxRows, kMaxRows, &again, &sError));
  Check(again == rows);
  return 0;
}
