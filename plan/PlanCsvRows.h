#ifndef KESTO_PLAN_PLANCSVROWS_H
#define KESTO_PLAN_PLANCSVROWS_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

using CsvRows = std::vector<std::vector<std::string>>;

// Splits CSV text (RFC 4180: quoted fields, doubled quotes, CRLF or LF line
// ends; a UTF-8 byte order mark is skipped; blank lines are skipped; cells are
// not trimmed) into rows of cells. False with a message for malformed text, for
// more than nMaxRows rows or a row of more than nMaxCells cells (refused as soon
// as it is seen), or when this build has no CSV parser.
bool SplitCsvRows(std::string_view text, size_t nMaxRows, size_t nMaxCells, CsvRows* pRows, std::string* psError);
// Whether this build reads CSV plans at all (the Windows cross build has no CSV parser).
bool CsvPlansAvailable();

#endif
