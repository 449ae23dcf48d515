#ifndef KESTO_APP_WIN32_CHANGELOGDLG_H
#define KESTO_APP_WIN32_CHANGELOGDLG_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The row menu's two windows on the change log (dialog 142), each run in the
// program's loop so the list keeps being polled behind it.
// "Undo last change": the preview of what goes back; true when "Send back" was chosen.
bool ConfirmUndo(HWND hOwner, const std::string& sPreview, const std::function<void()>& fnPass,
                 const std::function<void(int)>& fnPause);
// "Change history": the device's logged changes, newest first, read-only.
void ShowChangeHistory(HWND hOwner, const std::vector<std::string>& lines, const std::function<void()>& fnPass,
                       const std::function<void(int)>& fnPause);

#endif
