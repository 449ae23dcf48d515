#include "app/logic/ChangeLogSetting.h"

#include "plan/ChangeLog.h"

bool CChangeLogSetting::Apply(bool bOn, const std::string& sBy, std::function<void(const std::string&)> fnWarn) {
  CChangeLog& log = CChangeLog::Process();
  if (!bOn) {
    log.Close();
    return true;
  }
  const std::string sPath = CChangeLog::DefaultPath();
  if (sPath.empty()) return false;
  log.Open(sPath, sBy, std::move(fnWarn));
  return true;
}

std::string CChangeLogSetting::MenuText(const std::string& sPath) {
  return sPath.empty() ? "Log settings sent (no state folder is known)" : "Log settings sent to " + sPath;
}

std::string CChangeLogSetting::MenuTip(const std::string& sPath) {
  if (sPath.empty()) return "The environment names no folder for the log (HOME, or LOCALAPPDATA on Windows); nothing sent is logged";
  return "Each device's old and new settings, for \"Change history\", \"Undo last change\" and kesto log; "
         "off, nothing sent from now on is logged";
}

std::string CChangeLogSetting::Switched(bool bOn, const std::string& sPath) {
  return bOn ? "Settings sent are logged to " + sPath : "Settings sent are no longer logged";
}
