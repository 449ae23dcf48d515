#include "tools/plan/TerminalText.h"

#include "tools/formats/DeviceJson.h"

std::string TerminalText(std::string_view latin1) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string sSafe;
  sSafe.reserve(latin1.size());
  for (char c : latin1) {
    const auto by = static_cast<unsigned char>(c);
    if (by < 0x20 || by == 0x7F || (by >= 0x80 && by <= 0x9F)) {
      sSafe += "\\x";
      sSafe += kDigits[by >> 4];
      sSafe += kDigits[by & 15];
    } else if (c == '\\') {
      sSafe += "\\\\";
    } else {
      sSafe += c;
    }
  }
  return Latin1ToUtf8(sSafe);
}
