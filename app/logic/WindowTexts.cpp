#include "app/logic/WindowTexts.h"

#include "discovery/KestoRecord.h"

namespace {

std::string Devices(size_t n) { return std::to_string(n) + (n == 1 ? " device" : " devices"); }

}  // namespace

std::string CWindowTexts::SocketProblem(const std::string& sError) {
  return "The network socket for finding devices could not be opened:\n" + sError + "\n\nNo devices will be listed.";
}

std::string CWindowTexts::Exported(size_t nDevices, const std::string& sFileName) {
  return "Exported " + Devices(nDevices) + " to " + sFileName;
}

std::string CWindowTexts::BackedUp(size_t nDevices, const std::string& sFileName) {
  return "Backed up " + Devices(nDevices) + " to " + sFileName;
}

std::string CWindowTexts::ExportNameRefused(const std::string& sPath) {
  return "Choose a file name ending in .csv or .json:\n" + sPath;
}

std::string CWindowTexts::NotWritten(const std::string& sWhat, const std::string& sPath, const std::string& sError) {
  return sWhat + " could not be written to " + sPath + ":\n" + sError;
}

std::string CWindowTexts::MultiConfigCaption(size_t nDevices) {
  return "Kesto Configuration: " + std::to_string(nDevices) + " devices";
}

std::string CWindowTexts::MultiConfigIntro(size_t nDevices) {
  return "Settings for the " + std::to_string(nDevices) +
         " selected devices. A field left blank stays as it is on each device.";
}

std::string CWindowTexts::AdapterChoice(const std::string& sName, const std::vector<platform::NetInterface>& table) {
  std::string sAddresses;
  for (const platform::NetInterface& entry : table) {
    if (entry.sName != sName) continue;
    int iPrefix = 0;
    for (uint32_t dwMask = entry.dwMask; dwMask & 0x80000000u; dwMask <<= 1) ++iPrefix;
    sAddresses += (sAddresses.empty() ? "" : ", ") + FormatAddress(entry.dwAddress) + "/" + std::to_string(iPrefix);
  }
  return sName + (sAddresses.empty() ? "  (gone)" : "  " + sAddresses);
}

std::string CWindowTexts::BasicConfigTip(size_t nSelected) {
  if (nSelected == 0) return "Select a device in the list first (Ctrl or Shift for several)";
  return nSelected == 1 ? "Changes the selected device's settings"
                        : "Gives the " + std::to_string(nSelected) + " selected devices the same settings at once";
}

std::string CWindowTexts::LaunchTip(size_t nSelected) {
  if (nSelected == 0) return "Select a device in the list first";
  return nSelected == 1 ? "Opens the selected device's web page" : "Opens one device's web page: select only one";
}

std::string CWindowTexts::NewestFirstTip(bool bAlreadyNewestFirst) {
  return bAlreadyNewestFirst ? "The list is already newest first"
                             : "Lists the newest device first, the order before any sort";
}

std::string CWindowTexts::AdapterTip(bool bCanChooseDestinations) {
  return bCanChooseDestinations ? "The network adapter the broadcasts go out of" : kOneHostOnly;
}

std::string CWindowTexts::TargetsTip(bool bCanChooseDestinations) {
  return bCanChooseDestinations ? "Addresses probed one at a time besides the broadcasts" : kOneHostOnly;
}
