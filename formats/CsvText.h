#ifndef KESTO_FORMATS_CSVTEXT_H
#define KESTO_FORMATS_CSVTEXT_H

#include <string>
#include <string_view>

// One field, quoted when it holds a comma, a quote, CR or LF, inner quotes doubled.
std::string CsvField(std::string_view text);

// A field holding a device's text: when it starts with =, +, -, @, TAB or CR a
// spreadsheet would take it for a formula, so it gets a leading ' first (which
// spreadsheets show as text and hide); then it is quoted as CsvField does. A
// text that already starts with quotes before such a character gets one more, so
// that CsvTextFromCell gives back exactly the text.
std::string CsvTextField(std::string_view text);

// The text of a cell read back: drops the one ' that CsvTextField put in front
// (the cell starts with ' and its first character after the quotes is = + - @
// TAB or CR); other cells are their own text.
std::string_view CsvTextFromCell(std::string_view cell);

#endif
