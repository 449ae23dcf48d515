#ifndef KESTO_TOOLS_KESTOCOMMAND_H
#define KESTO_TOOLS_KESTOCOMMAND_H

#include <csignal>
#include <functional>
#include <iosfwd>
#include <vector>

#include <CLI/CLI.hpp>

// Where a command writes.
struct CommandStreams {
  std::ostream& out;
  std::ostream& err;
};

// One subcommand of `kesto`: each command file adds its own subcommand and
// options to the parser, and the main calls run once that subcommand was chosen.
struct KestoCommand {
  CLI::App* pApp = nullptr;
  std::function<int(const CommandStreams&)> run;
};
using KestoCommands = std::vector<KestoCommand>;

// Makes SIGINT and SIGTERM set the returned flag instead of ending the
// program, for the commands that stop cleanly and still report.
const volatile std::sig_atomic_t* StopOnSignals();

#endif
