#include "tools/serve/FleetStateFile.h"

#include <filesystem>
#include <system_error>

#include <nlohmann/json.hpp>

#include "COMMON/ZNFail.h"
#include "discovery/KestoWire.h"
#include "formats/HexText.h"
#include "tools/TextFile.h"

namespace {

constexpr int kStateVersion = 1;
// A device takes about 290 bytes in the file; twice that, and room for the frame.
constexpr size_t kBytesPerDevice = 600;

bool RecordFromHex(const std::string& sHex, KESTO_RECORD* pRecord) {
  if (sHex.size() != 2 * kesto_wire::kRecordSize) return false;
  uint8_t bytes[kesto_wire::kRecordSize];
  for (size_t i = 0; i < kesto_wire::kRecordSize; ++i) {
    const int iHigh = HexDigitValue(sHex[2 * i]);
    const int iLow = HexDigitValue(sHex[2 * i + 1]);
    if (iHigh < 0 || iLow < 0) return false;
    bytes[i] = static_cast<uint8_t>(iHigh * 16 + iLow);
  }
  *pRecord = kesto_wire::DecodeRecord(bytes);
  return true;
}

bool IsTime(const nlohmann::json& value) {
  return value.is_number_integer() && value.get<int64_t>() >= 0;
}

}  // namespace

std::string FleetStateToJson(const CFleetTable& table) {
  nlohmann::json devices = nlohmann::json::array();
  table.ForEach([&](const FleetDevice& device) {
    uint8_t bytes[kesto_wire::kRecordSize];
    kesto_wire::EncodeRecord(device.record, bytes);
    devices.push_back({{"record", HexBytes(bytes, sizeof bytes)},
                       {"first_seen_ms", device.llFirstSeenMs},
                       {"last_seen_ms", device.llLastSeenMs},
                       {"changes", device.qwChanges}});
  });
  nlohmann::json state = {{"kesto_serve_state", kStateVersion}, {"devices", std::move(devices)}};
  return state.dump() + "\n";
}

bool FleetStateFromJson(const std::string& sText, CFleetTable* pTable, std::string* psError) {
  const nlohmann::json state = nlohmann::json::parse(sText, nullptr, false);
  if (state.is_discarded()) return Fail(psError, "not JSON");
  if (!state.is_object() || state.value("kesto_serve_state", nlohmann::json()) != kStateVersion ||
      !state.contains("devices") || !state["devices"].is_array())
    return Fail(psError, "not a kesto serve state of version " + std::to_string(kStateVersion));
  const nlohmann::json& devices = state["devices"];
  if (devices.size() > pTable->MaxDevices())
    return Fail(psError, "holds " + std::to_string(devices.size()) + " devices, more than the " +
                             std::to_string(pTable->MaxDevices()) + " kept");
  // Filled aside, so a damaged file leaves the table as it was.
  CFleetTable table = *pTable;
  for (size_t i = 0; i < devices.size(); ++i) {
    const nlohmann::json& device = devices[i];
    const std::string sWhere = "device " + std::to_string(i + 1) + ": ";
    KESTO_RECORD record;
    if (!device.is_object() || !device.contains("record") || !device["record"].is_string() ||
        !RecordFromHex(device["record"].get<std::string>(), &record))
      return Fail(psError, sWhere + "\"record\" must be 200 hex digits");
    if (!IsTime(device.value("first_seen_ms", nlohmann::json())) ||
        !IsTime(device.value("last_seen_ms", nlohmann::json())) ||
        !device.value("changes", nlohmann::json()).is_number_unsigned())
      return Fail(psError, sWhere + "first_seen_ms, last_seen_ms and changes must be whole numbers 0 or more");
    if (!table.Restore(record, device["first_seen_ms"].get<int64_t>(), device["last_seen_ms"].get<int64_t>(),
                       device["changes"].get<uint64_t>()))
      return Fail(psError, sWhere + "MAC " + FormatMAC(record.byMAC) + " is listed twice");
  }
  *pTable = std::move(table);
  return true;
}

bool LoadFleetState(const std::string& sPath, CFleetTable* pTable, std::string* psNotice) {
  std::error_code error;
  if (!std::filesystem::exists(sPath, error)) return true;
  std::string sText;
  std::string sError;
  const size_t nMaxBytes = 4096 + pTable->MaxDevices() * kBytesPerDevice;
  if (ReadTextFile(sPath, nMaxBytes, nullptr, &sText, &sError)) {
    if (FleetStateFromJson(sText, pTable, &sError)) return true;
    sError = sPath + ": " + sError;
  }
  const std::string sAside = sPath + ".bad";
  std::filesystem::rename(sPath, sAside, error);
  if (error) return Fail(psNotice, sError + "; it cannot be set aside either: " + error.message());
  *psNotice = sError + "; set aside as " + sAside + ", starting with no known devices";
  return true;
}

bool SaveFleetState(const std::string& sPath, const CFleetTable& table, std::string* psError) {
  return WriteTextFile(sPath, FleetStateToJson(table), true, psError);
}
