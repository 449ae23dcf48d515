#ifndef KESTO_APP_WIN32_DIALOGLOOP_H
#define KESTO_APP_WIN32_DIALOGLOOP_H

#include <windows.h>

#include <functional>

// Shows a modeless dialog and runs the program's own loop until *pbDone is
// raised or the dialog is gone, so the finder keeps being polled behind it;
// the owner is disabled meanwhile, as a dialog box's owner is, and the dialog
// is destroyed afterwards.
void RunDialogLoop(HWND hDialog, HWND hOwner, const bool* pbDone, const std::function<void()>& fnPass,
                   const std::function<void(int)>& fnPause);

#endif
