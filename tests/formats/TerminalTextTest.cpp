#include "formats/TerminalText.h"

#include <gtest/gtest.h>

#include <string>

#include "formats/CsvText.h"

namespace {

using namespace std::string_literals;

TEST(TerminalTextTest, ControlCharactersAreEscapedAndLatin1BecomesUtf8) {
  struct Case {
    std::string sBytes;
    std::string sShown;
    size_t nWidth;
  };
  const Case cases[] = {
      {"Boiler Room", "Boiler Room", 11},
      {"", "", 0},
      {"\x1b[2J", "\\x1b[2J", 7},
      {"\x1b]0;owned\x07", "\\x1b]0;owned\\x07", 16},
      {"a\tb\nc\rd", "a\\tb\\nc\\rd", 10},
      {"\b\x7f", "\\x08\\x7f", 8},
      {"\x80\x85\x9b\x9f", "\\x80\\x85\\x9b\\x9f", 16},
      {"\0x"s, "\\x00x", 5},
      {"back\\slash", "back\\\\slash", 11},
      // A backslash before an x or a t stays apart from an escape.
      {"\\x1b\\t", "\\\\x1b\\\\t", 8},
      {"K\xe4ller \xff", "K\xc3\xa4ller \xc3\xbf", 8},
      {"\xa0\xad", "\xc2\xa0\xc2\xad", 2},
      // Bytes that are no UTF-8 read as their Latin-1 characters.
      {"\xc3\x28", "\xc3\x83(", 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TerminalText(c.sBytes), c.sShown) << c.sShown;
    EXPECT_EQ(DisplayWidth(TerminalText(c.sBytes)), c.nWidth) << c.sShown;
  }
}

TEST(TerminalTextTest, NoByteOfTheOutputIsAControlCharacter) {
  std::string sEvery;
  for (int i = 0; i < 256; ++i) sEvery += static_cast<char>(i);
  const std::string sShown = TerminalText(sEvery);
  for (size_t i = 0; i < sShown.size(); ++i) {
    const auto byByte = static_cast<unsigned char>(sShown[i]);
    EXPECT_TRUE(byByte >= 0x20 && byByte != 0x7f) << "byte " << i;
    // A C1 character in UTF-8 is C2 80 to C2 9F.
    if (byByte == 0xc2) {
      EXPECT_GE(static_cast<unsigned char>(sShown[i + 1]), 0xa0) << "byte " << i;
    }
  }
}

TEST(CsvTextTest, TextsThatASpreadsheetWouldRunGetALeadingQuote) {
  struct Case {
    const char* pszText;
    const char* pszField;
  };
  const Case cases[] = {
      {"=HYPERLINK(\"http://x\",\"c\")", "\"'=HYPERLINK(\"\"http://x\"\",\"\"c\"\")\""},
      {"-2+3", "'-2+3"},
      {"@SUM(A1)", "'@SUM(A1)"},
      {"+1+cmd|calc", "'+1+cmd|calc"},
      {"\tTAB", "'\tTAB"},
      {"\rCR", "\"'\rCR\""},
      {"=", "'="},
      {"", ""},
      {"Boiler Room", "Boiler Room"},
      {"a=b", "a=b"},
      {" =1", " =1"},
      {"'quoted", "'quoted"},
      {"'=1+1", "''=1+1"},
      {"''-", "'''-"},
      {"'", "'"},
      {"a,b", "\"a,b\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CsvTextField(c.pszText), c.pszField) << c.pszText;
    // The reader takes back exactly the quote the guard added (the unquoted cells here).
    if (c.pszField[0] != '"') {
      EXPECT_EQ(CsvTextFromCell(c.pszField), c.pszText) << c.pszText;
    }
  }
}

// Typed texts quoted in messages are UTF-8: C1 comes as two bytes and is escaped
// whole, while the rest of the upper half passes as typed.
TEST(TerminalTextTest, MessagesQuotingTypedTextsShowControlsEscaped) {
  const struct {
    std::string sIn, sOut;
  } kCases[] = {
      {"plain \xC3\xA9 \xC5\x81", "plain \xC3\xA9 \xC5\x81"},
      {"a\x1B[2Jb", "a\\x1B[2Jb"},
      {std::string("n\0l", 3), "n\\x00l"},
      {"\x7F\t", "\\x7F\\x09"},
      {"csi \xC2\x9B x \xC2\x80\xC2\xA0", "csi \\x9B x \\x80\xC2\xA0"},
      {"cut \xC2", "cut \xC2"},
  };
  for (const auto& c : kCases) EXPECT_EQ(WithoutControls(c.sIn), c.sOut) << c.sIn;
}

}  // namespace
