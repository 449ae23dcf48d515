#ifndef KESTO_APP_WIN32_TARGETINPUTDLG_H
#define KESTO_APP_WIN32_TARGETINPUTDLG_H

#include <windows.h>

#include <functional>
#include <string>

// "Add target" from dialog resource 139: asks for an address or range, showing
// why the last text was refused above the prompt. Modal to its owner but run in
// the program's own loop (fnPass, fnPause), so the list keeps being polled while
// the user types; true with the text on OK.
bool AskForTarget(HWND hOwner, const std::string& sReason, std::string* psText, const std::function<void()>& fnPass,
                  const std::function<void(int)>& fnPause);

#endif
