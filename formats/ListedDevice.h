#ifndef KESTO_FORMATS_LISTEDDEVICE_H
#define KESTO_FORMATS_LISTEDDEVICE_H

#include <string>
#include <vector>

#include "discovery/KestoRecord.h"

// One device as the list shows it: the record of its last answer, whether
// another device reports the same IP address, and whether that address lies
// outside every local subnet (only ever set when the subnets are known), and the
// addresses ("a.b.c.d:port") its answers came from: more than one means another host
// answers for the same MAC.
struct ListedDevice {
  KESTO_RECORD record;
  bool bDuplicateIP = false;
  bool bUnreachable = false;
  std::vector<std::string> vecSenders;
  bool bSeveralSenders = false;  // several addresses, or more than the finder keeps
};

#endif
