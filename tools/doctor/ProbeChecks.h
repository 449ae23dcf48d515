#ifndef KESTO_TOOLS_DOCTOR_PROBECHECKS_H
#define KESTO_TOOLS_DOCTOR_PROBECHECKS_H

#include <cstdint>
#include <vector>

#include "discovery/KestoRecord.h"
#include "platform/InterfaceTable.h"
#include "tools/doctor/DoctorCheck.h"

// What one listing's worth of probes brought back.
struct ProbeFacts {
  uint32_t dwWaitMs = 0;
  std::vector<KESTO_RECORD> records;  // every device that answered, in the order of first answer
  std::vector<platform::NetInterface> table;
  bool bJudgeSubnets = false;  // the default target was used and the table is known
  uint64_t qwRefused = 0;      // devices refused by a full list
};

// How many answered from each adapter's subnet, the devices outside every
// subnet, the addresses several devices share, and nothing answering at all.
DoctorChecks CheckProbe(const ProbeFacts& facts);

#endif
