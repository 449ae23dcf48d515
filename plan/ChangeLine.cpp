#include "plan/ChangeLine.h"

#include <cstring>

#include "discovery/KestoWire.h"
#include "formats/DeviceJson.h"
#include "formats/HexText.h"
#include "formats/MacText.h"
#include "plan/UtcTimeText.h"

const char* ChangeOutcomeText(ChangeOutcome outcome) {
  switch (outcome) {
    case ChangeOutcome::kConfirmed: return "confirmed";
    case ChangeOutcome::kNotConfirmed: return "not confirmed";
    case ChangeOutcome::kNotSent: return "not sent";
  }
  return "?";
}

namespace {

using kesto_wire::DecodeRecord;
using kesto_wire::EncodeRecord;
using kesto_wire::kRecordSize;

constexpr const char* kSendEvent = "send";
constexpr const char* kOutcomeEvent = "outcome";

DeviceJson RecordJson(const KESTO_RECORD& record) {
  uint8_t byWire[kRecordSize];
  EncodeRecord(record, byWire);
  DeviceJson object = DeviceJson::object();
  object["hex"] = HexBytes(byWire, sizeof byWire);
  object["fields"] = DeviceToJson(record);
  return object;
}

bool RecordFromJson(const DeviceJson& object, const std::array<uint8_t, 6>& mac, KESTO_RECORD* pRecord) {
  if (!object.is_object() || !object.contains("hex") || !object["hex"].is_string()) return false;
  const std::string& sHex = object["hex"].get_ref<const std::string&>();
  if (sHex.size() != 2 * kRecordSize) return false;
  uint8_t byWire[kRecordSize];
  for (size_t i = 0; i < kRecordSize; ++i) {
    const int iHigh = HexDigitValue(sHex[2 * i]);
    const int iLow = HexDigitValue(sHex[2 * i + 1]);
    if (iHigh < 0 || iLow < 0) return false;
    byWire[i] = static_cast<uint8_t>(iHigh * 16 + iLow);
  }
  *pRecord = DecodeRecord(byWire);
  return std::memcmp(pRecord->byMAC, mac.data(), mac.size()) == 0;
}

bool Text(const DeviceJson& object, const char* pszKey, std::string* psValue) {
  const auto found = object.find(pszKey);
  if (found == object.end() || !found->is_string()) return false;
  *psValue = found->get<std::string>();
  return true;
}

}  // namespace

std::string ChangeLineToJson(const ChangeLine& line) {
  DeviceJson object = DeviceJson::object();
  object["time"] = FormatUtcMs(line.llTimeMs);
  object["id"] = line.sId;
  object["event"] = line.kind == ChangeLine::Kind::kSend ? kSendEvent : kOutcomeEvent;
  object["mac"] = FormatMAC(line.mac.data());
  object["by"] = line.sBy;
  if (line.kind == ChangeLine::Kind::kSend) {
    if (!line.sUndoOf.empty()) object["undo_of"] = line.sUndoOf;
    object["old"] = RecordJson(line.old);
    object["new"] = RecordJson(line.sent);
  } else {
    object["outcome"] = ChangeOutcomeText(line.outcome);
  }
  // Device names are Latin-1 bytes carried as characters (DeviceJson.h); any that
  // cannot be stored as UTF-8 are replaced rather than failing the log.
  return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

bool ChangeLineFromJson(std::string_view text, ChangeLine* pLine) {
  const DeviceJson object = DeviceJson::parse(text.begin(), text.end(), nullptr, false);
  if (!object.is_object()) return false;
  ChangeLine line;
  std::string sTime, sEvent, sMAC;
  if (!Text(object, "time", &sTime) || !ParseUtcMs(sTime, &line.llTimeMs) || !Text(object, "id", &line.sId) ||
      line.sId.empty() || !Text(object, "event", &sEvent) || !Text(object, "mac", &sMAC) ||
      !ParseMAC(sMAC, line.mac.data()) || !Text(object, "by", &line.sBy))
    return false;
  if (sEvent == kSendEvent) {
    line.kind = ChangeLine::Kind::kSend;
    if (object.contains("undo_of") && !Text(object, "undo_of", &line.sUndoOf)) return false;
    if (!object.contains("old") || !object.contains("new") || !RecordFromJson(object["old"], line.mac, &line.old) ||
        !RecordFromJson(object["new"], line.mac, &line.sent))
      return false;
  } else if (sEvent == kOutcomeEvent) {
    line.kind = ChangeLine::Kind::kOutcome;
    std::string sOutcome;
    if (!Text(object, "outcome", &sOutcome)) return false;
    bool bKnown = false;
    for (ChangeOutcome outcome : {ChangeOutcome::kConfirmed, ChangeOutcome::kNotConfirmed, ChangeOutcome::kNotSent}) {
      if (sOutcome == ChangeOutcomeText(outcome)) {
        line.outcome = outcome;
        bKnown = true;
      }
    }
    if (!bKnown) return false;
  } else {
    return false;
  }
  *pLine = std::move(line);
  return true;
}
