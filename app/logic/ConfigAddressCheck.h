#ifndef KESTO_APP_LOGIC_CONFIGADDRESSCHECK_H
#define KESTO_APP_LOGIC_CONFIGADDRESSCHECK_H

#include <cstdint>
#include <string>
#include <vector>

// The checks "Set Configuration" makes before anything is sent: settings that
// would make a device unreachable are explained rather than sent.
class CConfigAddressCheck {
 public:
  enum Problem { kNone, kNetMask, kGateway, kIPZero, kIPBroadcast, kIPNetwork, kIPInUse };

  struct OtherDevice {
    uint32_t dwIPAddress;
    std::string sLabel;  // "Boiler room (00-1A-2B-3C-4D-01)"
  };

  struct Result {
    Problem problem = kNone;
    std::string sText;            // what is wrong and how to mend it
    bool bMaySendAnyway = false;  // only an address in use may be sent on purpose
  };

  // The first problem found, in the order the checks are listed above; others
  // are the listed devices except the one being edited.
  static Result Check(uint32_t dwIPAddress, uint32_t dwNetMask, uint32_t dwGateway,
                      const std::vector<OtherDevice>& others);
  // One run of ones from the top bit, and at least one of them.
  static bool IsContiguousMask(uint32_t dwNetMask);
};

#endif
