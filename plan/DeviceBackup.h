#ifndef KESTO_PLAN_DEVICEBACKUP_H
#define KESTO_PLAN_DEVICEBACKUP_H

#include <string>
#include <string_view>
#include <vector>

#include "discovery/KestoRecord.h"
#include "plan/DevicePlan.h"

// The backup file's form and the version this build writes and reads.
constexpr const char* kBackupFormat = "kesto-backup";
constexpr int kBackupVersion = 1;

// {"format":"kesto-backup","version":1,"time":sTime,"devices":[...]}: each
// device in the list's JSON form plus "reserved1" and "reserved2", and the raw
// code for a protocol other than 0 and 1, so every byte of its record is kept.
std::string BackupToJson(const std::vector<KESTO_RECORD>& records, const std::string& sTime);

// Reads a backup into the full records it holds. False with a message for
// another format or version, a bad device, a MAC twice, or over kMaxPlanRows devices.
bool ReadBackup(std::string_view text, std::vector<KESTO_RECORD>* pRecords, std::string* psError);

// The plan that writes every settable field of each record back (name, the four
// addresses, type, protocol, baud) as the backup holds them; MAC, port, version
// and the reserved bytes are never written.
DevicePlan RestorePlan(const std::vector<KESTO_RECORD>& records);

#endif
