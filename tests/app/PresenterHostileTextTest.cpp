// What a device puts in its name and version reaches the window's rows as text
// only: control characters escaped, Latin-1 as UTF-8, as `kesto list` shows them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/app/PresenterFixture.h"

namespace {

using namespace std::string_literals;

TEST_F(PresenterTest, RowsShowDeviceTextsWithoutControlCharacters) {
  struct Case {
    std::string sName;     // record bytes, at most 28
    std::string sVersion;  // record bytes, at most 36
    const char* pszName;
    const char* pszVersion;
  };
  const Case cases[] = {
      {"\x1b[2J\x1b]0;owned\x07", "FW\r\b", "\\x1b[2J\\x1b]0;owned\\x07", "FW\\r\\x08"},
      {"Boiler\nfake row", "removed\tBoiler\t00-1A-2B-3C-4D-5E\t1.0", "Boiler\\nfake row",
       "removed\\tBoiler\\t00-1A-2B-3C-4D-5E\\t1.0"},
      {"\x9b" "2J \x85", "back\\slash", "\\x9b2J \\x85", "back\\\\slash"},
      {"K\xe4ller \xc3\x28", "", "K\xc3\xa4ller \xc3\x83(", ""},
      {"ab\0cd"s, "=1+1", "ab", "=1+1"},
      {std::string(28, '\x1b'), std::string(36, 'v'), nullptr, nullptr},
  };
  uint8_t byLast = 0x40;
  for (const Case& c : cases) {
    ++byLast;
    KESTO_RECORD record = MakeDeviceRecord(byLast, "", 0xC0A80100u + byLast);
    std::memcpy(record.szName, c.sName.data(), c.sName.size());
    std::memset(record.szVersion, 0, sizeof record.szVersion);
    std::memcpy(record.szVersion, c.sVersion.data(), c.sVersion.size());
    Answer(record);
    PassUntilRead();
    const DeviceRowTexts& texts = view.Get(record).texts;
    std::string sName = c.pszName ? c.pszName : "", sVersion = c.pszVersion ? c.pszVersion : "";
    if (!c.pszName) {
      // Full fields without a NUL: all 28 and 36 bytes, nothing from the bytes after them.
      for (int i = 0; i < 28; ++i) sName += "\\x1b";
      sVersion = std::string(36, 'v');
    }
    EXPECT_EQ(texts[0], sName);
    EXPECT_EQ(texts[4], sVersion);
  }
}

}  // namespace
