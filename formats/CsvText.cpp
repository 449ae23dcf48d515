#include "formats/CsvText.h"

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string sQuoted = "\"";
  for (char c : text) {
    if (c == '"') sQuoted += '"';
    sQuoted += c;
  }
  return sQuoted + "\"";
}

namespace {

// Whether the first character after any leading quotes would start a formula:
// the cells that carry the guard's quote.
bool NeedsGuard(std::string_view text) {
  const size_t nFirst = text.find_first_not_of('\'');
  return nFirst != std::string_view::npos && std::string_view("=+-@\t\r").find(text[nFirst]) != std::string_view::npos;
}

}  // namespace

std::string CsvTextField(std::string_view text) {
  if (!NeedsGuard(text)) return CsvField(text);
  return CsvField("'" + std::string(text));
}

std::string_view CsvTextFromCell(std::string_view cell) {
  if (!cell.empty() && cell.front() == '\'' && NeedsGuard(cell)) cell.remove_prefix(1);
  return cell;
}
