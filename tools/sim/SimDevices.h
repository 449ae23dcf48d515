#ifndef KESTO_TOOLS_SIM_SIMDEVICES_H
#define KESTO_TOOLS_SIM_SIMDEVICES_H

#include <cstdint>
#include <string>
#include <vector>

#include "discovery/KestoRecord.h"

// nCount made-up devices with varied names, types, ports and versions; the
// same seed gives the same devices. MACs are locally administered (02-...).
std::vector<KESTO_RECORD> MakeSimDevices(int nCount, uint32_t dwSeed);

// Reads a JSON array of device objects (the form `kesto list --json` prints).
bool LoadSimDevices(const std::string& sPath, std::vector<KESTO_RECORD>* pDevices, std::string* psError);

#endif
