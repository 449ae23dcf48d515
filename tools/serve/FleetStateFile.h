#ifndef KESTO_TOOLS_SERVE_FLEETSTATEFILE_H
#define KESTO_TOOLS_SERVE_FLEETSTATEFILE_H

#include <string>

#include "tools/serve/FleetTable.h"

// The --state file of `kesto serve`: the known devices as JSON, each record as
// the hex of its 100 wire bytes, so every byte comes back exactly.
std::string FleetStateToJson(const CFleetTable& table);
// Fills an empty table from that text; false with the reason (and the table left
// empty) when the text is not such a state or holds more devices than the table takes.
bool FleetStateFromJson(const std::string& sText, CFleetTable* pTable, std::string* psError);

// Reads the file into an empty table. A missing file is a first start (true, no
// notice). A damaged one is renamed to FILE.bad and *psNotice says why; true
// all the same, as the agent goes on with an empty table. False only when the
// damaged file could not be set aside either (*psNotice says why).
bool LoadFleetState(const std::string& sPath, CFleetTable* pTable, std::string* psNotice);
// Written to a temporary file and renamed over sPath, so a crash leaves the old state.
bool SaveFleetState(const std::string& sPath, const CFleetTable& table, std::string* psError);

#endif
