#include "tools/CommonOptions.h"

#include <string>

#include "tools/DecimalOption.h"

const char* const kDeviceTextHelp =
    "Names and versions come from the devices. In the table, in watch lines and in CSV printed to a terminal,\n"
    "TAB, LF and CR show as \\t, \\n and \\r, other control characters as \\xHH (\\x1b for ESC) and a backslash\n"
    "as \\\\, so no device steers the terminal; JSON is plain ASCII with its own escapes.\n"
    "Numbers are decimal: 010 is 10; 0x50, 1e3 and +5 are refused.";

void AddTargetOptions(CLI::App* pCommand, TargetOptions* pTarget) {
  pCommand->add_option("--broadcast", pTarget->sBroadcast, "Address the requests go to (dotted, no host names)")
      ->default_str(pTarget->sBroadcast);
  AddDecimalOption(pCommand, "--port", &pTarget->iPort, 1, 65535, "UDP port of the devices")
      ->default_str(std::to_string(pTarget->iPort));
  pCommand->add_option("--interface", pTarget->vecInterfaces,
                       "Broadcast only on this adapter (repeatable); default: 255.255.255.255 and every adapter")
      ->allow_extra_args(false);
  pCommand->add_option("--target", pTarget->vecTargets,
                       "Also ask A.B.C.D or every host of A.B.C.D/20..32 by unicast (repeatable; at most 4096 "
                       "addresses, 1000 a second)")
      ->allow_extra_args(false);
  pCommand->add_flag("--no-broadcast", pTarget->bNoBroadcast, "Send only to the --target addresses");
}

CLI::Option* AddWaitOption(CLI::App* pCommand, const char* pszName, int* piValue, const char* pszHelp) {
  return AddDecimalOption(pCommand, pszName, piValue, 0, 24 * 3600 * 1000, pszHelp);
}
