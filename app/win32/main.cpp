// Kesto Manager, the native Windows front end: finds Kesto devices on the local
// network, lists them, and changes their settings.
#include <windows.h>

#include "app/win32/ProgramRun.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return RunKestoManager(nullptr); }
