#ifndef KESTO_APP_LOGIC_WINDOWTEXTS_H
#define KESTO_APP_LOGIC_WINDOWTEXTS_H

#include <cstddef>
#include <string>
#include <vector>

#include "platform/InterfaceTable.h"

// What both main windows say in their captions, message boxes, status line,
// adapter box and tooltips, worded once. Texts are UTF-8; file names come from
// the user's own dialogs.
class CWindowTexts {
 public:
  static constexpr const char* kCaption = "Tamrel Kesto Manager";
  static constexpr const char* kAboutCaption = "About Tamrel Kesto Manager";
  // Why the adapter box and Targets are greyed.
  static constexpr const char* kOneHostOnly = "Probing one host only (KESTO_TARGET)";
  static constexpr const char* kNothingToBackUp = "No device is listed; nothing was backed up.";
  // The adapter box's first entry, which broadcasts on every adapter.
  static constexpr const char* kAllAdapters = "All adapters";

  static std::string SocketProblem(const std::string& sError);
  // "Exported 3 devices to list.csv".
  static std::string Exported(size_t nDevices, const std::string& sFileName);
  static std::string BackedUp(size_t nDevices, const std::string& sFileName);
  static std::string ExportNameRefused(const std::string& sPath);
  // sWhat: "The device list", "The backup".
  static std::string NotWritten(const std::string& sWhat, const std::string& sPath, const std::string& sError);
  static std::string PlanNotSent(const std::string& sError) { return "The plan was not sent: " + sError; }
  // The caption and the first line of the form for several devices.
  static std::string MultiConfigCaption(size_t nDevices);
  static std::string MultiConfigIntro(size_t nDevices);
  // An adapter box entry: "eth0  192.168.1.5/24, 10.0.0.2/8", or "eth0  (gone)"
  // when the last table read no longer holds it.
  static std::string AdapterChoice(const std::string& sName, const std::vector<platform::NetInterface>& table);

  // The tooltips of the row commands and "Newest first": what they do, or why they are greyed.
  static std::string BasicConfigTip(size_t nSelected);
  static std::string LaunchTip(size_t nSelected);
  static std::string NewestFirstTip(bool bAlreadyNewestFirst);
  // What the adapter box and Targets are for, or why they are greyed.
  static std::string AdapterTip(bool bCanChooseDestinations);
  static std::string TargetsTip(bool bCanChooseDestinations);
};

#endif
