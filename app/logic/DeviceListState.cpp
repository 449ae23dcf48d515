#include "app/logic/DeviceListState.h"

std::string CDeviceListState::CountText(const DeviceListFacts& facts) {
  if (facts.nRows == 0 && !facts.bAnyAnswer) return "Searching...";
  if (facts.bFiltering) return std::to_string(facts.nShown) + " of " + std::to_string(facts.nRows) + " shown";
  return std::to_string(facts.nRows) + (facts.nRows == 1 ? " device" : " devices");
}

std::string CDeviceListState::EmptyText(const DeviceListFacts& facts) {
  if (facts.nShown > 0) return {};
  if (facts.nRows > 0) return "No device matches the filter.\nClear the filter box to see all " +
                              std::to_string(facts.nRows) + (facts.nRows == 1 ? " device." : " devices.");
  if (facts.bNoBroadcastAdapter)
    return "No network adapter here can broadcast, so no device can be found.\n"
           "Connect one, or add a device's address with Targets > Add target...";
  // The count beside the status line already says "Searching...".
  const char* pszFirst = facts.bAnyAnswer ? "No device answers at the moment." : "No device has answered yet.";
  // After a few seconds of nothing, the same causes and checks as `kesto list` names.
  if (facts.bEmptyForLong)
    return std::string(pszFirst) + "\nUsual causes: a firewall, another adapter or subnet, no power.\n"
                                   "To check, run kesto doctor in a terminal.";
  if (!facts.bAnyAnswer) return std::string(pszFirst) + "\nDevices appear here as they answer.";
  return std::string(pszFirst) + "\nStill searching.";
}
