#include "tools/LogCommand.h"

#include <memory>
#include <ostream>

#include "formats/DeviceJson.h"
#include "formats/MacText.h"
#include "formats/TerminalText.h"
#include "plan/ChangeHistory.h"
#include "plan/ChangeLog.h"
#include "plan/UtcTimeText.h"
#include "tools/ChangeLogOption.h"
#include "tools/CommonOptions.h"
#include "tools/ExitCodes.h"

namespace {

DeviceJson ChangeJson(const LoggedChange& change) {
  DeviceJson object = DeviceJson::object();
  object["time"] = FormatUtcMs(change.send.llTimeMs);
  object["id"] = change.send.sId;
  object["mac"] = FormatMAC(change.send.mac.data());
  object["by"] = change.send.sBy;
  if (!change.send.sUndoOf.empty()) object["undo_of"] = change.send.sUndoOf;
  object["outcome"] = change.outcome ? DeviceJson(ChangeOutcomeText(*change.outcome)) : DeviceJson();
  object["old"] = DeviceToJson(change.send.old);
  object["new"] = DeviceToJson(change.send.sent);
  object["changed"] = ChangedFieldTexts(change.send.old, change.send.sent);
  return object;
}

std::string ChangeText(const LoggedChange& change) {
  std::string sFields;
  for (const std::string& sField : ChangedFieldTexts(change.send.old, change.send.sent))
    sFields += (sFields.empty() ? "" : ", ") + sField;
  if (sFields.empty()) sFields = "(no field changed)";
  return FormatUtcMs(change.send.llTimeMs) + "  " + FormatMAC(change.send.mac.data()) + "  " +
         TerminalText(change.send.sBy) + " (" + change.OutcomeText() + ")  " + sFields;
}

}  // namespace

int RunLog(const LogOptions& options, std::ostream& out, std::ostream& err) {
  std::array<uint8_t, 6> mac{};
  if (!options.sMAC.empty() && !ParseMAC(options.sMAC, mac.data())) {
    err << "kesto log: MAC: \"" << options.sMAC << "\" is not a MAC address such as 00-1A-2B-3C-4D-5E\n";
    return kExitBadInput;
  }
  int64_t llSinceMs = INT64_MIN;
  if (!options.sSince.empty() && !ParseSinceMs(options.sSince, UtcNowMs(), &llSinceMs)) {
    err << "kesto log: --since: \"" << options.sSince
        << "\" is neither a UTC time such as 2026-12-10T02:30 nor an age such as 90s, 30m, 2h or 7d\n";
    return kExitBadInput;
  }
  std::string sPath;
  CChangeHistory history;
  if (!ReadChangeLog("kesto log", err, &history, &sPath)) return kExitFailed;
  const std::vector<LoggedChange> changes = history.Select(options.sMAC.empty() ? nullptr : &mac, llSinceMs);
  if (options.bJson) {
    DeviceJson array = DeviceJson::array();
    for (const LoggedChange& change : changes) array.push_back(ChangeJson(change));
    out << array.dump(2, ' ', true, DeviceJson::error_handler_t::replace) << "\n";
  } else if (changes.empty()) {
    err << "kesto log: no change logged in " << sPath << (options.sMAC.empty() ? "" : " for that device") << "\n";
  } else {
    out << "TIME                      MAC                BY (OUTCOME)  CHANGES\n";
    for (const LoggedChange& change : changes) out << ChangeText(change) << "\n";
  }
  return kExitOk;
}

void AddLogCommand(CLI::App* pApp, KestoCommands* pCommands) {
  auto p = std::make_shared<LogOptions>();
  CLI::App* pLog = pApp->add_subcommand(
      "log", "Show the settings sent to devices, newest first, with old -> new for each field that changed");
  pLog->footer(std::string("The log is $XDG_STATE_HOME/kesto/changes.jsonl, else ~/.local/state/kesto/changes.jsonl "
                           "(%LOCALAPPDATA%\\Kesto\\changes.jsonl on Windows),\nrenamed to changes.jsonl.1 at 10 MiB. "
                           "Times are UTC.\n") +
               kDeviceTextHelp);
  pLog->add_option("MAC", p->sMAC, "Only this device's changes");
  pLog->add_option("--since", p->sSince, "Only changes from TIME on: 2026-12-10, 2026-12-10T02:30 (UTC) or an age: "
                                         "90s, 30m, 2h, 7d");
  pLog->add_flag("--json", p->bJson, "Print the changes as JSON, with both records' fields");
  pCommands->push_back({pLog, [p](const CommandStreams& io) { return RunLog(*p, io.out, io.err); }});
}
