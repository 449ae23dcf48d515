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
};

constexpr const char* kExitCodeHelp =
    "Exit codes: 0 done; 1 other failure; 2 bad input (nothing sent); 3 set sent but not confirmed;\n"
    "4 device not found (nothing sent); 5 network error (socket cannot be opened, send failed).";

#endif
