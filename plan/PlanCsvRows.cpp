#include "plan/PlanCsvRows.h"

#include <csv.h>

namespace {

constexpr size_t kChunkBytes = 64 * 1024;

struct RowCollector {
  CsvRows* pRows;
  size_t nMaxCells;
  std::vector<std::string> current;
  bool bTooWide = false;
};

void OnField(void* pData, size_t nLength, void* pContext) {
  auto* pCollector = static_cast<RowCollector*>(pContext);
  if (pCollector->current.size() >= pCollector->nMaxCells) pCollector->bTooWide = true;
  else pCollector->current.emplace_back(static_cast<const char*>(pData), nLength);
}

void OnRowEnd(int, void* pContext) {
  auto* pCollector = static_cast<RowCollector*>(pContext);
  pCollector->pRows->push_back(std::move(pCollector->current));
  pCollector->current.clear();
}

// Blanks are part of a cell: "  Lobby" stays as typed.
int NoSpace(unsigned char) { return 0; }

}  // namespace

bool SplitCsvRows(std::string_view text, size_t nMaxRows, size_t nMaxCells, CsvRows* pRows, std::string* psError) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  csv_parser parser;
  if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0) {
    *psError = "the CSV parser cannot be started";
    return false;
  }
  csv_set_space_func(&parser, NoSpace);
  CsvRows rows;
  RowCollector collector{&rows, nMaxCells, {}};
  bool bOk = true;
  for (size_t nAt = 0; bOk && nAt < text.size(); nAt += kChunkBytes) {
    const std::string_view chunk = text.substr(nAt, kChunkBytes);
    if (csv_parse(&parser, chunk.data(), chunk.size(), OnField, OnRowEnd, &collector) != chunk.size()) {
      *psError = std::string("malformed CSV near row ") + std::to_string(rows.size() + 1) + ": " +
                 csv_strerror(csv_error(&parser));
      bOk = false;
    } else if (rows.size() > nMaxRows || collector.bTooWide) {
      bOk = false;
    }
  }
  if (bOk && csv_fini(&parser, OnField, OnRowEnd, &collector) != 0) {
    *psError = "malformed CSV at the end: a quoted cell is not closed";
    bOk = false;
  }
  csv_free(&parser);
  if (bOk && (rows.size() > nMaxRows || collector.bTooWide)) bOk = false;
  if (collector.bTooWide)
    *psError = "row " + std::to_string(rows.size() + (collector.current.empty() ? 0 : 1)) + " has more than " +
               std::to_string(nMaxCells) + " cells; a plan has one column per setting";
  else if (!bOk && rows.size() > nMaxRows)
    *psError = "more than " + std::to_string(nMaxRows) + " rows (the header included); split the plan";
  if (bOk) *pRows = std::move(rows);
  return bOk;
}

bool CsvPlansAvailable() { return true; }
