#include "tools/DeviceTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RecordBuilder.h"

namespace {

TEST(DeviceTableTest, ColumnsArePaddedByCharactersShownAfterEscaping) {
  const std::vector<KESTO_RECORD> records{NamedRecord("\xE9\xE9", 2), NamedRecord("a\tb", 3)};
  EXPECT_EQ(FormatDeviceTable(records),
            "Name  MAC Address        IP Address  Port   Version\n"
            "\xC3\xA9\xC3\xA9    02-00-00-00-00-0A  10.202.1.7  10000  1.0\n"
            "a\\tb  02-00-00-00-00-0A  10.202.1.7  10000  1.0\n");
}

TEST(DeviceTableTest, TheNoteColumnAppearsOnlyWithANote) {
  const std::vector<KESTO_RECORD> records{NamedRecord("A", 1), NamedRecord("Bee", 3)};
  EXPECT_EQ(FormatDeviceTable(records, {"", ""}), FormatDeviceTable(records));
  EXPECT_EQ(FormatDeviceTable(records, {"", ""}).find("Note"), std::string::npos);
  EXPECT_EQ(FormatDeviceTable(records, {"", "duplicate IP, other subnet"}),
            "Name  MAC Address        IP Address  Port   Version  Note\n"
            "A     02-00-00-00-00-0A  10.202.1.7  10000  1.0\n"
            "Bee   02-00-00-00-00-0A  10.202.1.7  10000  1.0      duplicate IP, other subnet\n");
}

}  // namespace
