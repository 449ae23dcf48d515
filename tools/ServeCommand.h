#ifndef KESTO_TOOLS_SERVECOMMAND_H
#define KESTO_TOOLS_SERVECOMMAND_H

#include <csignal>
#include <iosfwd>
#include <string>

#include "tools/FinderSession.h"
#include "tools/KestoCommand.h"

// The HTTP port `kesto serve` listens on unless told otherwise (docs/tools.md says why this one).
constexpr int kServeDefaultPort = 19844;

struct ServeOptions {
  TargetOptions target;
  std::string sListen = "127.0.0.1";
  int iHttpPort = kServeDefaultPort;
  std::string sTokenFile;  // bearer token; needed (or bNoAuth) off loopback
  bool bNoAuth = false;
  std::string sStateFile;
  int iForgetAfterS = 24 * 3600;
  int iDurationMs = -1;  // negative: until stopped
  int iMaxConnections = 16;
};

// `kesto serve`: follows the devices as `kesto watch` does and answers Prometheus
// (/metrics, /probe, /sd), scripts (/api/devices) and people (/) over HTTP until
// the duration ends or *pbStop is set. Where the HTTP library is not built in
// (Windows), says so and fails.
int RunServe(const ServeOptions& options, std::ostream& out, std::ostream& err,
             const volatile std::sig_atomic_t* pbStop);

// Adds `kesto serve` and its options.
void AddServeCommand(CLI::App* pApp, KestoCommands* pCommands);

#endif
