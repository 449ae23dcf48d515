// kesto: finds Kesto devices on the local network, lists and watches them,
// changes their settings and opens their web page.
#include <algorithm>
#include <exception>
#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "platform/SocketLayer.h"
#include "tools/ApplyCommand.h"
#include "tools/BackupCommand.h"
#include "tools/ConnectCommand.h"
#include "tools/DoctorCommand.h"
#include "tools/ExitCodes.h"
#include "tools/KestoCommand.h"
#include "tools/ListCommand.h"
#include "tools/LogCommand.h"
#include "tools/OpenCommand.h"
#include "tools/ServeCommand.h"
#include "tools/SetCommand.h"
#include "tools/UndoCommand.h"
#include "tools/WatchCommand.h"
#include "version/KestoVersion.h"

namespace {

int Run(int argc, char** argv) {
  CLI::App app{"kesto: find Kesto devices on the local network and change their settings"};
  app.footer(kExitCodeHelp);
  app.set_version_flag("--version", std::string("kesto ") + GetKestoVersion());
  app.require_subcommand(1);

  // Each command adds its own options; the order here is the order --help lists them in.
  KestoCommands commands;
  AddListCommand(&app, &commands);
  AddWatchCommand(&app, &commands);
  AddSetCommand(&app, &commands);
  AddOpenCommand(&app, &commands);
  AddApplyCommands(&app, &commands);
  AddBackupCommand(&app, &commands);
  AddConnectCommand(&app, &commands);
  AddServeCommand(&app, &commands);
  AddDoctorCommand(&app, &commands);
  AddLogCommand(&app, &commands);
  AddUndoCommand(&app, &commands);

  // A mistyped command is named as such, with the commands there are, rather than
  // reported as a missing one.
  if (argc > 1 && argv[1][0] != '-' &&
      std::none_of(commands.begin(), commands.end(),
                   [&](const KestoCommand& command) { return command.pApp->check_name(argv[1]); })) {
    std::string sNames;
    for (const KestoCommand& command : commands) sNames += (sNames.empty() ? "" : ", ") + command.pApp->get_name();
    std::cerr << "kesto: \"" << argv[1] << "\" is not a command; the commands are " << sNames
              << " (kesto --help tells more)\n";
    return kExitBadInput;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int iCode = app.exit(e);
    return iCode == 0 ? kExitOk : kExitBadInput;
  }

  if (!platform::StartSocketLayer()) {
    std::cerr << "kesto: the socket layer cannot be started\n";
    return kExitNetwork;
  }
  int iResult = kExitFailed;
  const CommandStreams io{std::cout, std::cerr};
  for (const KestoCommand& command : commands) {
    if (command.pApp->parsed()) {
      iResult = command.run(io);
      break;
    }
  }
  platform::StopSocketLayer();
  return iResult;
}

}  // namespace

int main(int argc, char** argv) {
  // Nothing may end the program unexplained: whatever escapes is reported and fails.
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "kesto: " << e.what() << "\n";
  } catch (...) {
    std::cerr << "kesto: unexpected failure\n";
  }
  return kExitFailed;
}
