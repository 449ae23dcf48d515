#include "plan/PlanCsvRows.h"

namespace {

enum class CsvState { kRowStart, kCellStart, kUnquoted, kQuoted, kQuoteInQuoted };

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
bool IsCellEnd(char c) { return c == ',' || IsLineEnd(c); }

}  // namespace

// A small reader of its own rather than a library, so that the Linux and the
// Windows builds read a plan byte for byte the same way.
bool SplitCsvRows(std::string_view text, size_t nMaxRows, size_t nMaxCells, CsvRows* pRows, std::string* psError) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  CsvRows rows;
  std::vector<std::string> row;
  std::string sCell;
  CsvState state = CsvState::kRowStart;
  // A row is refused as soon as it grows past nMaxCells, so a huge header costs no more than its check.
  auto endCell = [&] {
    row.push_back(std::move(sCell));
    sCell.clear();
    return row.size() <= nMaxCells;
  };
  auto endRow = [&] {
    if (!endCell()) return false;
    rows.push_back(std::move(row));
    row.clear();
    return rows.size() <= nMaxRows;
  };
  auto malformed = [&](const char* pszWhat) {
    *psError = "malformed CSV near row " + std::to_string(rows.size() + 1) + ": " + pszWhat;
    return false;
  };
  auto tooMany = [&] {
    if (row.size() > nMaxCells)
      *psError = "row " + std::to_string(rows.size() + 1) + " has more than " + std::to_string(nMaxCells) +
                 " cells; a plan has one column per setting";
    else
      *psError = "more than " + std::to_string(nMaxRows) + " rows (the header included); split the plan";
    return false;
  };
  // A comma ends the cell, a line end the row too; false when either grows too large.
  auto endAt = [&](char c) {
    const bool bRowEnds = IsLineEnd(c);
    if (!(bRowEnds ? endRow() : endCell())) return false;
    state = bRowEnds ? CsvState::kRowStart : CsvState::kCellStart;
    return true;
  };
  for (const char c : text) {
    switch (state) {
      case CsvState::kRowStart:
        if (IsLineEnd(c)) break;  // blank lines and the LF of a CRLF
        [[fallthrough]];
      case CsvState::kCellStart:
        if (c == '"') {
          state = CsvState::kQuoted;
        } else if (IsCellEnd(c)) {
          if (!endAt(c)) return tooMany();
        } else {
          sCell += c;
          state = CsvState::kUnquoted;
        }
        break;
      case CsvState::kUnquoted:
        if (c == '"') return malformed("a quote inside an unquoted cell");
        if (IsCellEnd(c)) {
          if (!endAt(c)) return tooMany();
        } else {
          sCell += c;
        }
        break;
      case CsvState::kQuoted:
        if (c == '"')
          state = CsvState::kQuoteInQuoted;
        else
          sCell += c;
        break;
      case CsvState::kQuoteInQuoted:
        if (c == '"') {
          sCell += c;
          state = CsvState::kQuoted;
        } else if (IsCellEnd(c)) {
          if (!endAt(c)) return tooMany();
        } else {
          return malformed("text after a closing quote");
        }
        break;
    }
  }
  if (state == CsvState::kQuoted) {
    *psError = "malformed CSV at the end: a quoted cell is not closed";
    return false;
  }
  if (state != CsvState::kRowStart && !endRow()) return tooMany();
  *pRows = std::move(rows);
  return true;
}
