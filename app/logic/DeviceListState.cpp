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
  if (!facts.bAnyAnswer) return "No device has answered yet.\nDevices appear here as they answer.";
  return "No device answers at the moment.\nStill searching.";
}
