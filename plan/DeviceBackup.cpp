#include "plan/DeviceBackup.h"

#include <cstring>
#include <unordered_set>

#include "formats/DeviceJson.h"
#include "formats/HexText.h"

std::string BackupToJson(const std::vector<KESTO_RECORD>& records, const std::string& sTime) {
  DeviceJson devices = DeviceJson::array();
  for (const KESTO_RECORD& record : records) {
    DeviceJson object = DeviceToJson(record);
    if (record.shProtocol != 0 && record.shProtocol != 1) object["protocol"] = record.shProtocol;
    object["reserved1"] = record.byReserved1;
    object["reserved2"] = HexBytes(record.byReserved2, sizeof record.byReserved2);
    devices.push_back(std::move(object));
  }
  DeviceJson backup = {{"format", kBackupFormat}, {"version", kBackupVersion}, {"time", sTime}};
  backup["devices"] = std::move(devices);
  return AsciiJson(backup, 2) + "\n";
}

bool ReadBackup(std::string_view text, std::vector<KESTO_RECORD>* pRecords, std::string* psError) {
  if (text.size() > kMaxPlanBytes) {
    *psError = "the backup is larger than " + std::to_string(kMaxPlanBytes) + " bytes";
    return false;
  }
  const DeviceJson backup = DeviceJson::parse(text.begin(), text.end(), nullptr, false);
  if (backup.is_discarded() || !backup.is_object() || backup.value("format", "") != kBackupFormat) {
    *psError = "not a backup written by `kesto backup` (no \"format\": \"kesto-backup\")";
    return false;
  }
  if (!backup.contains("version") || backup["version"] != kBackupVersion) {
    *psError = "backup version " + (backup.contains("version") ? backup["version"].dump() : std::string("missing")) +
               "; this kesto reads version " + std::to_string(kBackupVersion);
    return false;
  }
  if (!backup.contains("devices") || !backup["devices"].is_array() || backup["devices"].size() > kMaxPlanRows) {
    *psError = "\"devices\" must be an array of at most " + std::to_string(kMaxPlanRows) + " devices";
    return false;
  }
  std::vector<KESTO_RECORD> records;
  std::unordered_set<uint64_t> seen;
  for (size_t i = 0; i < backup["devices"].size(); ++i) {
    KESTO_RECORD record;
    std::string sError;
    if (!DeviceFromJson(backup["devices"][i], &record, &sError)) {
      *psError = "device " + std::to_string(i + 1) + ": " + sError;
      return false;
    }
    if (!seen.insert(MacKey(record.byMAC)).second) {
      *psError = "device " + std::to_string(i + 1) + ": " + FormatMAC(record.byMAC) + " is in the backup twice";
      return false;
    }
    records.push_back(record);
  }
  *pRecords = std::move(records);
  return true;
}

DevicePlan RestorePlan(const std::vector<KESTO_RECORD>& records) {
  DevicePlan plan;
  for (const KESTO_RECORD& record : records) {
    PlanEntry entry;
    std::memcpy(entry.mac.data(), record.byMAC, entry.mac.size());
    entry.nRow = plan.entries.size() + 1;
    entry.request = CKestoSettingsChange::AllOf(record);
    plan.entries.push_back(std::move(entry));
  }
  return plan;
}
