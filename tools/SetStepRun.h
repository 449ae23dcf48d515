#ifndef KESTO_TOOLS_SETSTEPRUN_H
#define KESTO_TOOLS_SETSTEPRUN_H

#include <cstdint>
#include <iosfwd>
#include <string>

#include "plan/DeviceSetStep.h"
#include "tools/FinderSession.h"

// How one device's settings go out from a command and what it says about them.
struct SetStepRun {
  const char* pszCommand = "kesto set";  // the prefix of the lines on err
  std::string sMAC;                      // the device, as shown
  uint32_t dwWaitMs = 0;                 // the bound for the confirmation
  bool bVerify = true;                   // false: send once and report "sent"
  const char* pszConfirmedNote = "";     // follows "confirmed MAC" on out
};

// Sends the step and waits until every address the device answered from shows
// the settings, as `kesto set` and `kesto undo` both do; returns the exit code.
int SendAndConfirm(CFinderSession& session, CDeviceSetStep& step, const SetStepRun& run, std::ostream& out,
                   std::ostream& err);

#endif
