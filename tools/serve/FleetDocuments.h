#ifndef KESTO_TOOLS_SERVE_FLEETDOCUMENTS_H
#define KESTO_TOOLS_SERVE_FLEETDOCUMENTS_H

#include <string>
#include <string_view>

#include "tools/serve/FleetTable.h"

// The other answers of `kesto serve` besides /metrics, all made from the table.

// /api/devices: the devices up now, as `kesto list --json` prints them.
std::string FleetDevicesJson(const CFleetTable& table);
// /sd: Prometheus HTTP service discovery, one target (the device's IP) per known
// device with __meta_kesto_* labels (mac, name, type, firmware, up).
std::string FleetServiceDiscoveryJson(const CFleetTable& table);
// /: a read-only page listing the devices and linking the other answers; every
// device text HTML-escaped.
std::string FleetPageHtml(const CFleetTable& table, std::string_view sVersion);

// The bytes taken as Latin-1, written as UTF-8 with & < > " ' as character references.
std::string HtmlText(std::string_view bytes);

#endif
