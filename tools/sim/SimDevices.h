#ifndef KESTO_TOOLS_SIM_SIMDEVICES_H
#define KESTO_TOOLS_SIM_SIMDEVICES_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "discovery/KestoRecord.h"

// The most devices one simulator plays, made up (--count) or read (--from).
constexpr int kMaxSimDevices = 65535;
// The largest device file read; far beyond what kMaxSimDevices devices take.
constexpr size_t kMaxSimFileBytes = 16u << 20;

// nCount made-up devices with varied names, types, ports and versions; the
// same seed gives the same devices. MACs are locally administered (02-...).
std::vector<KESTO_RECORD> MakeSimDevices(int nCount, uint32_t dwSeed);

// Reads a JSON array of device objects (the form `kesto list --json` prints).
// Refuses, with a message naming the file (and the device and field where there
// is one): a directory, more than kMaxSimFileBytes, nesting deeper than an array
// of objects, more than kMaxSimDevices devices, a field of the wrong type or
// outside its range, and a MAC given twice.
bool LoadSimDevices(const std::string& sPath, std::vector<KESTO_RECORD>* pDevices, std::string* psError);

#endif
