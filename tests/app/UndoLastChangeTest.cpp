#include "app/logic/UndoLastChange.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "plan/ChangeLine.h"
#include "support/RecordBuilder.h"

namespace {

std::string SendLine(const char* pszId, const KESTO_RECORD& old, const KESTO_RECORD& sent, int64_t llTimeMs) {
  ChangeLine line;
  line.sId = pszId;
  line.llTimeMs = llTimeMs;
  std::memcpy(line.mac.data(), sent.byMAC, 6);
  line.sBy = "kesto set";
  line.old = old;
  line.sent = sent;
  return ChangeLineToJson(line) + "\n";
}

std::string OutcomeLine(const char* pszId, const KESTO_RECORD& record, ChangeOutcome outcome) {
  ChangeLine line;
  line.kind = ChangeLine::Kind::kOutcome;
  line.sId = pszId;
  std::memcpy(line.mac.data(), record.byMAC, 6);
  line.sBy = "kesto set";
  line.outcome = outcome;
  return ChangeLineToJson(line) + "\n";
}

TEST(UndoLastChangeTest, PreviewsWhatGoesBackAndRefusesWhatCannot) {
  const KESTO_RECORD boiler = MakeDeviceRecord(1, "Boiler", 0x0A000005u);
  KESTO_RECORD moved = MakeDeviceRecord(1, "Cellar\x1b", 0x0A000009u);
  const KESTO_RECORD other = MakeDeviceRecord(2, "Other", 0x0A000006u);
  struct Case {
    std::string sLog;
    const KESTO_RECORD* pDevice;
    bool bAvailable;
    std::string sExpected;  // in the preview when available, else the reason
  };
  const Case cases[] = {
      {SendLine("a", boiler, moved, 1000) + OutcomeLine("a", moved, ChangeOutcome::kConfirmed), &moved, true,
       "\n    name: \"Cellar\\x1b\" -> \"Boiler\"\n    ip: 10.0.0.9 -> 10.0.0.5"},
      {SendLine("a", boiler, moved, 1000), &moved, true, "The outcome of that change is unknown"},
      {SendLine("a", boiler, moved, 1000) + OutcomeLine("a", moved, ChangeOutcome::kNotSent), &moved, false,
       "never sent"},
      {SendLine("a", boiler, boiler, 1000), &boiler, false, "altered no setting"},
      {SendLine("a", boiler, moved, 1000), &other, false, "No change of this device"},
      {"", &moved, false, "No change of this device"},
  };
  for (const Case& c : cases) {
    const CUndoLastChange undo = CUndoLastChange::ForDevice(CChangeHistory::FromTexts({c.sLog}), c.pDevice->byMAC);
    EXPECT_EQ(undo.IsAvailable(), c.bAvailable) << c.sLog;
    const std::string sText = c.bAvailable ? undo.PreviewText() : undo.Reason();
    EXPECT_NE(sText.find(c.sExpected), std::string::npos) << sText;
  }
}

TEST(UndoLastChangeTest, HistoryIsTheDevicesNewestFirstAndBounded) {
  const KESTO_RECORD a = MakeDeviceRecord(1, "A", 0x0A000005u);
  const KESTO_RECORD b = MakeDeviceRecord(1, "B", 0x0A000005u);
  std::string sLog = "damaged\n" + SendLine("x", MakeDeviceRecord(2, "X", 1), MakeDeviceRecord(2, "Y", 1), 0);
  const size_t nChanges = CUndoLastChange::kHistoryLines + 3;
  for (size_t i = 0; i < nChanges; ++i) {
    const std::string sId = "c" + std::to_string(i);
    sLog += SendLine(sId.c_str(), i % 2 ? b : a, i % 2 ? a : b, static_cast<int64_t>(i) * 1000);
    sLog += OutcomeLine(sId.c_str(), a, ChangeOutcome::kConfirmed);
  }
  const std::vector<std::string> lines = CUndoLastChange::HistoryLines(CChangeHistory::FromTexts({sLog}), a.byMAC);
  ASSERT_EQ(lines.size(), CUndoLastChange::kHistoryLines + 2);
  EXPECT_EQ(lines[0], "1970-01-01T00:00:52.000Z kesto set (confirmed): name: \"A\" -> \"B\"");
  EXPECT_EQ(lines[1], "1970-01-01T00:00:51.000Z kesto set (confirmed): name: \"B\" -> \"A\"");
  EXPECT_EQ(lines[CUndoLastChange::kHistoryLines], "(+3 older changes)");
  EXPECT_EQ(lines.back(), "(1 damaged lines of the log skipped)");
}

}  // namespace
