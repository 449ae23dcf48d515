#ifndef KESTO_PLAN_CONFIGADDRESSCHECK_H
#define KESTO_PLAN_CONFIGADDRESSCHECK_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The address rule every way of sending settings goes through (the dialog, the form
// for several devices, kesto set, apply and restore, the window's plans): settings
// that would make a device unreachable are explained rather than sent. Only values
// that change are judged, so what a device already has never blocks a send.
class CConfigAddressCheck {
 public:
  enum Problem { kNone, kNetMask, kGateway, kIPZero, kIPBroadcast, kIPNetwork, kIPInUse };

  struct OtherDevice {
    uint32_t dwIPAddress;
    std::string sLabel;  // "Boiler room (00-1A-2B-3C-4D-01)"
  };

  struct Addresses {
    uint32_t dwIPAddress = 0;
    uint32_t dwNetMask = 0;
    uint32_t dwGateway = 0;
  };

  struct Result {
    Problem problem = kNone;
    // What is wrong and how to mend it. Every problem may still be sent on purpose
    // (the windows' "Send anyway", the command line's --force): the user may know better.
    std::string sText;
  };

  // The first problem found, in the order the checks are listed above, among the
  // checks whose values differ from before (every check without before: a new
  // device). The mask is judged when it changes; the gateway when it, the mask or
  // the IP changes; the IP's own checks when it or the mask changes; an address in
  // use when the IP changes. others are the listed devices except the one being edited.
  static Result Check(const Addresses& after, const std::optional<Addresses>& before,
                      const std::vector<OtherDevice>& others);
  static Result Check(uint32_t dwIPAddress, uint32_t dwNetMask, uint32_t dwGateway,
                      const std::vector<OtherDevice>& others) {
    return Check({dwIPAddress, dwNetMask, dwGateway}, std::nullopt, others);
  }
  // One run of ones from the top bit, and at least one of them.
  static bool IsContiguousMask(uint32_t dwNetMask);
};

#endif
