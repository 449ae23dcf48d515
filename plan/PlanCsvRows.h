#ifndef KESTO_PLAN_PLANCSVROWS_H
#define KESTO_PLAN_PLANCSVROWS_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

using CsvRows = std::vector<std::vector<std::string>>;

// Splits CSV text (RFC 4180: quoted fields, doubled quotes, CRLF, LF or CR line
// ends; a UTF-8 byte order mark is skipped; blank lines are skipped; cells are
// not trimmed) into rows of cells. Strict: a quote inside an unquoted cell, text
// after a closing quote or a quoted cell left open is refused with a message
// naming the row, and so is text of more than nMaxRows rows or a row of more
// than nMaxCells cells (refused as soon as it is seen).
bool SplitCsvRows(std::string_view text, size_t nMaxRows, size_t nMaxCells, CsvRows* pRows, std::string* psError);

#endif
