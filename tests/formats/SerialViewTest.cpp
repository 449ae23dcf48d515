#include "formats/SerialView.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "formats/SerialLineText.h"

namespace {

struct ViewCase {
  const char* pszName;
  SerialShow show;
  std::vector<std::string> pieces;  // as they arrive, one receive each
  std::string sShown;               // all that the terminal got
};

class SerialViewTest : public ::testing::TestWithParam<ViewCase> {};

TEST_P(SerialViewTest, ShowsWhatArrivesPieceByPiece) {
  const ViewCase& c = GetParam();
  CSerialView view(c.show);
  std::string sShown;
  for (const std::string& sPiece : c.pieces)
    sShown += view.Show(reinterpret_cast<const uint8_t*>(sPiece.data()), sPiece.size());
  EXPECT_EQ(sShown, c.sShown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SerialViewTest,
    ::testing::Values(
        ViewCase{"RawPassesEveryByte", SerialShow::kRaw, {std::string("a\x1b[2J\0\r\n", 8)},
                 std::string("a\x1b[2J\0\r\n", 8)},
        ViewCase{"EscapedEndsLinesAtLfAndCrLf", SerialShow::kEscaped, {"one\r\ntwo\nthree"}, "one\ntwo\nthree"},
        // The CR of a CR LF split between two receives is still no \r.
        ViewCase{"EscapedCrLfSplitAcrossReceives", SerialShow::kEscaped, {"one\r", "\ntwo"}, "one\ntwo"},
        ViewCase{"EscapedLoneCrShown", SerialShow::kEscaped, {"50%\r", "60%\r\n"}, "50%\\r60%\n"},
        ViewCase{"EscapedControlBytesCannotSteer", SerialShow::kEscaped, {"\x1b[2J\x9b" "1m"}, "\\x1b[2J\\x9b1m"},
        ViewCase{"EscapedLatin1AsUtf8", SerialShow::kEscaped, {"caf\xe9"}, "caf\xc3\xa9"},
        ViewCase{"HexKeepsTheOffsetAcrossReceives", SerialShow::kHex, {"hi", std::string("\0\x7f", 2)},
                 "00000000  68 69                                            |hi|\n"
                 "00000002  00 7f                                            |..|\n"},
        ViewCase{"HexSixteenALine", SerialShow::kHex, {"0123456789abcdefZ"},
                 "00000000  30 31 32 33 34 35 36 37 38 39 61 62 63 64 65 66  |0123456789abcdef|\n"
                 "00000010  5a                                               |Z|\n"}),
    [](const ::testing::TestParamInfo<ViewCase>& info) { return std::string(info.param.pszName); });

TEST(SerialLogLineTest, NamesTimeDirectionCountAndBytes) {
  const uint8_t by[] = {0x00, 0x41, 0xff};
  EXPECT_EQ(SerialLogLine("2026-12-10T02:00:00.000Z", '<', by, sizeof by), "2026-12-10T02:00:00.000Z < 3: 00 41 ff\n");
}

}  // namespace
