#ifndef KESTO_FORMATS_DEVICELIST_H
#define KESTO_FORMATS_DEVICELIST_H

#include <string>
#include <vector>

#include "discovery/KestoSender.h"
#include "formats/DeviceJson.h"
#include "formats/ListedDevice.h"

// A whole list in the forms `kesto list --csv` and `--json` print and the
// desktop program exports: the header and one row per device, or one JSON
// array (indented by two, with a final newline) with "duplicate_ip" and
// "reachable": false where they hold, then "senders" always and
// "several_senders": true where it holds. The JSON is ASCII only (every other
// character as \u00XX), so no byte of it can steer a terminal.
// bForTerminal: for a terminal, with the device's texts escaped as TerminalText does.
std::string DevicesToCsv(const std::vector<ListedDevice>& devices, bool bForTerminal = false);
std::string DevicesToJson(const std::vector<ListedDevice>& devices);
// Fills vecSenders and bSeveralSenders from the finder's senders of the device and the
// count of its answers from addresses beyond those kept.
void SetListedSenders(ListedDevice* pDevice, const std::vector<KestoSender>& senders, uint64_t nRefused);
// Appends "senders" (always) and "several_senders" (only when true) to a device object.
void AddSenders(DeviceJson& object, const ListedDevice& device);

#endif
