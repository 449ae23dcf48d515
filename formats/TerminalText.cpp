#include "formats/TerminalText.h"

#include "formats/HexText.h"

std::string TerminalText(std::string_view bytes) {
  std::string sText;
  sText.reserve(bytes.size());
  for (char c : bytes) {
    const auto byChar = static_cast<unsigned char>(c);
    if (c == '\\') {
      sText += "\\\\";
    } else if (c == '\t') {
      sText += "\\t";
    } else if (c == '\n') {
      sText += "\\n";
    } else if (c == '\r') {
      sText += "\\r";
    } else if (byChar < 0x20 || (byChar >= 0x7F && byChar < 0xA0)) {
      sText += "\\x" + HexBytes(&byChar, 1);
    } else if (byChar < 0x80) {
      sText += c;
    } else {
      sText += static_cast<char>(0xC0 | byChar >> 6);
      sText += static_cast<char>(0x80 | (byChar & 0x3F));
    }
  }
  return sText;
}

std::string WithoutControls(std::string_view utf8) {
  std::string sSafe;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto by = static_cast<unsigned char>(utf8[i]);
    const auto byNext = i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0;
    if (by < 0x20 || by == 0x7F) {
      sSafe += "\\x" + HexNumber(by, 2);
    } else if (by == 0xC2 && byNext >= 0x80 && byNext < 0xA0) {
      sSafe += "\\x" + HexNumber(byNext, 2);
      ++i;
    } else {
      sSafe += static_cast<char>(by);
    }
  }
  return sSafe;
}

std::string QuotedTerminalText(std::string_view bytes) {
  std::string sQuoted = "\"";
  for (char c : TerminalText(bytes)) {
    if (c == '"') sQuoted += '\\';
    sQuoted += c;
  }
  return sQuoted + "\"";
}

size_t DisplayWidth(std::string_view utf8) {
  size_t nWidth = 0;
  for (char c : utf8) nWidth += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return nWidth;
}
