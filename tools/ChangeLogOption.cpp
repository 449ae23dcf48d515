#include "tools/ChangeLogOption.h"

#include <ostream>

#include "plan/ChangeLog.h"

void AddNoLogOption(CLI::App* pCommand, bool* pbNoLog) {
  pCommand->add_flag("--no-log", *pbNoLog,
                     "Do not record this change in the change log ($XDG_STATE_HOME/kesto/changes.jsonl, "
                     "else ~/.local/state/kesto/changes.jsonl; see kesto log)");
}

void OpenChangeLog(const std::string& sBy, bool bNoLog, std::ostream& err) {
  if (bNoLog) {
    CChangeLog::Process().Close();
    return;
  }
  CChangeLog::Process().Open(CChangeLog::DefaultPath(), sBy,
                             [&err, sBy](const std::string& sWarning) { err << sBy << ": warning: " << sWarning << "\n"; });
}

bool ReadChangeLog(const char* pszCommand, std::ostream& err, CChangeHistory* pHistory, std::string* psPath) {
  *psPath = CChangeLog::DefaultPath();
  if (psPath->empty()) {
    err << pszCommand << ": no state folder is known (HOME is not set)\n";
    return false;
  }
  *pHistory = CChangeHistory::Read(*psPath);
  if (pHistory->DamagedCount() > 0)
    err << pszCommand << ": " << pHistory->DamagedCount() << " damaged line(s) in " << *psPath << " skipped\n";
  if (pHistory->DroppedCount() > 0)
    err << pszCommand << ": only the newest " << CChangeHistory::kMaxChanges << " changes were read\n";
  return true;
}
