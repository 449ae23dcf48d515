#ifndef KESTO_APP_LOGIC_CHANGELOGSETTING_H
#define KESTO_APP_LOGIC_CHANGELOGSETTING_H

#include <functional>
#include <string>

// The windows' switch for the log of settings sent: one settings key, on unless
// set false, read at start and flipped from a menu item; either way the program's
// log follows it at once.
class CChangeLogSetting {
 public:
  // The key in the window's settings file (the native window's registry key too).
  static constexpr const char* kKey = "changeLog/enabled";
  static constexpr bool kDefault = true;

  // Opens the program's log at its default path, naming sBy as the front end,
  // or closes it; false when it should be open but no state folder is known.
  static bool Apply(bool bOn, const std::string& sBy, std::function<void(const std::string&)> fnWarn);

  // The switch's text with its mnemonic, saying where the log is (sPath empty: none can be kept).
  static std::string MenuText(const std::string& sPath);
  static std::string MenuTip(const std::string& sPath);
  // What the status line says once the switch is flipped.
  static std::string Switched(bool bOn, const std::string& sPath);
};

#endif
