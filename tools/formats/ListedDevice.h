#ifndef KESTO_TOOLS_FORMATS_LISTEDDEVICE_H
#define KESTO_TOOLS_FORMATS_LISTEDDEVICE_H

#include "discovery/KestoRecord.h"

// One device as the list shows it: the record of its last answer, whether
// another device reports the same IP address, and whether that address lies
// outside every local subnet (only ever set when the subnets are known).
struct ListedDevice {
  KESTO_RECORD record;
  bool bDuplicateIP = false;
  bool bUnreachable = false;
};

#endif
