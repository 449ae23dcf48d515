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
  if (sPath.empty()) return "&Log settings sent (no state folder is known)";
  // A path is no mnemonic: each '&' in it shows as itself in either window's menu.
  std::string sText = "&Log settings sent to ";
  for (char c : sPath) sText += c == '&' ? std::string("&&") : std::string(1, c);
  return sText;
}

std::string CChangeLogSetting::MenuTip(const std::string& sPath) {
  if (sPath.empty()) return "The environment names no folder for the log (HOME, or LOCALAPPDATA on Windows); nothing sent is logged";
  return "Keeps each device's old and new settings for \"Change history\", \"Undo last change\" and kesto log. "
         "Unticked, nothing sent from now on is logged.";
}

std::string CChangeLogSetting::Switched(bool bOn, const std::string& sPath) {
  return bOn ? "Settings sent are logged to " + sPath : "Settings sent are no longer logged";
}
