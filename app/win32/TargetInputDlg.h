#ifndef KESTO_APP_WIN32_TARGETINPUTDLG_H
#define KESTO_APP_WIN32_TARGETINPUTDLG_H

#include <windows.h>

#include <string>

// "Add target" from dialog resource 139: asks for an address or range, showing
// why the last text was refused above the prompt. Modal (the dialog box's own
// loop); true with the text on OK.
bool AskForTarget(HWND hOwner, const std::string& sReason, std::string* psText);

#endif
