#ifndef KESTO_FORMATS_CSVTEXT_H
#define KESTO_FORMATS_CSVTEXT_H

#include <string>
#include <string_view>

// One field, quoted when it holds a comma, a quote, CR or LF, inner quotes doubled.
std::string CsvField(std::string_view text);

// A field holding a device's text: when it starts with =, +, -, @, TAB or CR a
// spreadsheet would take it for a formula, so it gets a leading ' first (which
// spreadsheets show as text and hide); then it is quoted as CsvField does.
std::string CsvTextField(std::string_view text);

#endif
