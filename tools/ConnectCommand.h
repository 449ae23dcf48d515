#ifndef KESTO_TOOLS_CONNECTCOMMAND_H
#define KESTO_TOOLS_CONNECTCOMMAND_H

#include <csignal>
#include <iosfwd>
#include <string>

#include "tools/FinderSession.h"
#include "tools/KestoCommand.h"

struct ConnectOptions {
  TargetOptions target;
  std::string sDevice;  // a MAC, an IP address or a name
  int iWaitMs = 3000;   // bound for finding the device
  bool bWaitGiven = false;
  int iConnectTimeoutMs = 3000;
  int iLingerMs = 500;  // after standard input ends, how long the last answers may take
  bool bRaw = false;
  bool bHex = false;
  std::string sLog;     // both directions with times, in hex
  std::string sListen;  // ADDR:PORT: share the line with one local client at a time
  bool bListenAny = false;
  std::string sPty;     // a link to a pseudo-terminal carrying the line
  bool bInputTerminal = false;   // standard input is a terminal: raw mode and an exit key
  bool bOutputTerminal = false;  // standard output is a terminal: control bytes escaped
};

// `kesto connect`: finds the device by discovery, connects to its serial
// pass-through port by TCP and passes every byte unchanged both ways: between
// standard input and output, a local TCP client (--listen) or a pseudo-terminal
// (--pty), until the input ends (and --linger passes), the device closes, the
// exit key (Ctrl+]) or *pbStop.
int RunConnect(const ConnectOptions& options, std::ostream& out, std::ostream& err,
               const volatile std::sig_atomic_t* pbStop);

// Adds `kesto connect` and its options.
void AddConnectCommand(CLI::App* pApp, KestoCommands* pCommands);

#endif
