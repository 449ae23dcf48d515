#ifndef KESTO_PLATFORM_PROGRAMRUN_H
#define KESTO_PLATFORM_PROGRAMRUN_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// What became of a program run by RunProgram.
struct ProgramResult {
  bool bStarted = false;   // false: not found or not startable (sError says why)
  bool bTimedOut = false;  // killed when the time ran out
  bool bCut = false;       // its output passed the limit: the rest was thrown away
  int iExitCode = -1;      // -1 when it did not end by itself
  std::string sOutput;     // standard output, at most the limit
  std::string sErrors;     // standard error, at most the limit
  std::string sError;      // why it could not be started
};

// Runs a program found on the search path with these arguments (no shell), its
// input empty, for at most dwTimeoutMs, keeping at most nMaxOutput bytes of each
// output stream; a program still running then is killed.
ProgramResult RunProgram(const std::vector<std::string>& argv, uint32_t dwTimeoutMs, size_t nMaxOutput);

// Which firewall this system's doctor reads: nftables/iptables on Linux, the
// Windows firewall through netsh.
enum class HostFirewall { kNetfilter, kWindows };
HostFirewall GetHostFirewall();

}  // namespace platform

#endif
