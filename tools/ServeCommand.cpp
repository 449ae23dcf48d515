#include "tools/ServeCommand.h"

#include <memory>
#include <string>

#include "tools/CommonOptions.h"
#include "tools/DecimalOption.h"
#include "tools/ExitCodes.h"

void AddServeCommand(CLI::App* pApp, KestoCommands* pCommands) {
  auto pOptions = std::make_shared<ServeOptions>();
  CLI::App* pServe = pApp->add_subcommand(
      "serve", "Keep following the devices and answer Prometheus scrapes over HTTP (read-only; Linux)");
  pServe->footer(std::string("Answers GET /metrics (Prometheus text, or OpenMetrics when asked), "
                             "/probe?target=A.B.C.D/N (a unicast sweep of that range), /sd (HTTP service "
                             "discovery), /api/devices (as `kesto list --json`) and / (a page listing the devices). "
                             "Nothing served changes a device.\n"
                             "Listens on 127.0.0.1:") +
                 std::to_string(kServeDefaultPort) +
                 " by default; any other address needs --token-file (clients send \"Authorization: Bearer "
                 "TOKEN\") or --no-auth.\n" +
                 kExitCodeHelp);
  pServe->add_option("--listen", pOptions->sListen, "Address to listen on (dotted IPv4)")
      ->default_str(pOptions->sListen);
  AddDecimalOption(pServe, "--http-port", &pOptions->iHttpPort, 0, 65535, "TCP port to listen on (0: any free one)")
      ->default_str(std::to_string(kServeDefaultPort));
  CLI::Option* pToken = pServe->add_option(
      "--token-file", pOptions->sTokenFile, "File holding the bearer token every request must carry (16-4096 bytes)");
  pServe->add_flag("--no-auth", pOptions->bNoAuth, "Answer anyone, even off loopback")->excludes(pToken);
  pServe->add_option("--state", pOptions->sStateFile,
                     "Keep the known devices in this file across restarts (written every minute and at exit)");
  AddDecimalOption(pServe, "--forget-after", &pOptions->iForgetAfterS, 1, 365 * 24 * 3600,
                   "Seconds a silent device stays listed with kesto_device_up 0 (default 86400)");
  AddDecimalOption(pServe, "--max-connections", &pOptions->iMaxConnections, 1, 256,
                   "HTTP connections served at once (default 16; more wait in the listen queue)");
  AddWaitOption(pServe, "--duration", &pOptions->iDurationMs, "How long to serve, in ms (default: until stopped)");
  AddTargetOptions(pServe, &pOptions->target);
  pCommands->push_back({pServe, [pOptions](const CommandStreams& io) {
                          return RunServe(*pOptions, io.out, io.err, StopOnSignals());
                        }});
}
