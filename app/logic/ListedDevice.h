#ifndef KESTO_APP_LOGIC_LISTEDDEVICE_H
#define KESTO_APP_LOGIC_LISTEDDEVICE_H

#include "discovery/KestoRecord.h"

// One device as the list shows it: the record of its last answer and whether
// another device reports the same IP address.
struct ListedDevice {
  KESTO_RECORD record;
  bool bDuplicateIP = false;
};

#endif
