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

std::string CsvTextField(std::string_view text) {
  if (text.empty() || std::string_view("=+-@\t\r").find(text.front()) == std::string_view::npos)
    return CsvField(text);
  return CsvField("'" + std::string(text));
}
