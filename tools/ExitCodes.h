#ifndef KESTO_TOOLS_EXITCODES_H
#define KESTO_TOOLS_EXITCODES_H

// Exit codes of `kesto`; --help lists them too.
enum KestoExitCode : int {
  kExitOk = 0,
  kExitFailed = 1,        // anything else, e.g. the browser could not be started
  kExitBadInput = 2,      // bad option; nothing was sent
  kExitNotConfirmed = 3,  // set: sent, but the device never answered with the new values
  kExitNotFound = 4,      // no answer from that MAC address; nothing was sent to it
  kExitNetwork = 5,       // the UDP socket could not be opened or a datagram could not be sent
  kExitPending = 10,      // apply/restore without --yes: the plan would change something
};

constexpr const char* kExitCodeHelp =
    "Exit codes: 0 done; 1 other failure; 2 bad input (nothing sent); 3 set sent but not confirmed;\n"
    "4 device not found (nothing sent); 5 network error (socket cannot be opened, send failed).";

// apply, restore and backup speak of many devices at once.
constexpr const char* kPlanExitCodeHelp =
    "Exit codes: 0 every device confirmed or already as planned (without --yes: nothing to change);\n"
    "1 other failure; 2 bad plan or option (nothing sent); 3 some device not confirmed, refused or not sent;\n"
    "4 some device not found (nothing sent to it); 5 network error; 10 without --yes: changes are pending.";

#endif
