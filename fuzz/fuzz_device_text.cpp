// Feeds fuzzer-chosen record bytes to the terminal and CSV forms of a device's
// text and checks what a terminal or a spreadsheet would get: no control
// character, an escaping that reads back to the same bytes, no formula.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "formats/CsvText.h"
#include "formats/TerminalText.h"

namespace {

void Check(bool bCondition) {
  if (!bCondition) std::abort();
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The reverse of TerminalText, written apart from it: every backslash starts an
// escape, every other character is one Latin-1 character in UTF-8.
std::string ReadBack(std::string_view text) {
  std::string sBytes;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byChar = static_cast<unsigned char>(text[i]);
    if (text[i] == '\\') {
      Check(i + 1 < text.size());
      const char cKind = text[++i];
      if (cKind == '\\') sBytes += '\\';
      else if (cKind == 't') sBytes += '\t';
      else if (cKind == 'n') sBytes += '\n';
      else if (cKind == 'r') sBytes += '\r';
      else {
        Check(cKind == 'x' && i + 2 < text.size());
        const int iHigh = HexValue(text[i + 1]);
        const int iLow = HexValue(text[i + 2]);
        Check(iHigh >= 0 && iLow >= 0);
        const int iByte = iHigh << 4 | iLow;
        // Only what may not pass as it is gets a hex escape.
        Check(iByte < 0x20 || (iByte >= 0x7f && iByte < 0xa0));
        Check(iByte != '\t' && iByte != '\n' && iByte != '\r');
        sBytes += static_cast<char>(iByte);
        i += 2;
      }
    } else if (byChar < 0x80) {
      Check(byChar >= 0x20 && byChar != 0x7f);
      sBytes += text[i];
    } else {
      // Latin-1 in UTF-8: C2 A0-BF or C3 80-BF, nothing else.
      Check(i + 1 < text.size());
      const auto byNext = static_cast<unsigned char>(text[++i]);
      Check((byChar == 0xc2 && byNext >= 0xa0 && byNext <= 0xbf) || (byChar == 0xc3 && byNext >= 0x80 && byNext <= 0xbf));
      sBytes += static_cast<char>((byChar & 0x03) << 6 | (byNext & 0x3f));
    }
  }
  return sBytes;
}

bool IsFormulaStart(char c) { return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
  const std::string_view bytes(reinterpret_cast<const char*>(pData), nSize);
  const std::string sShown = TerminalText(bytes);
  Check(ReadBack(sShown) == bytes);
  Check(DisplayWidth(sShown) <= 4 * nSize && DisplayWidth(sShown) >= nSize);

  // The CSV cell: quoted or not, its text never opens with a formula character.
  const std::string sCell = CsvTextField(bytes);
  std::string_view inner = sCell;
  if (!inner.empty() && inner.front() == '"') {
    Check(inner.size() >= 2 && inner.back() == '"');
    inner = inner.substr(1, inner.size() - 2);
  } else {
    Check(inner.find_first_of(",\"\r\n") == std::string_view::npos);
  }
  if (!inner.empty()) Check(!IsFormulaStart(inner.front()));
  if (!bytes.empty() && IsFormulaStart(bytes.front())) Check(!inner.empty() && inner.front() == '\'');
  return 0;
}
