#ifndef KESTO_APP_WIN32_MESSAGEPUMP_H
#define KESTO_APP_WIN32_MESSAGEPUMP_H

#include <windows.h>

// Takes at most one message from the thread's queue without waiting, translates
// and dispatches it; true when one was taken. When hDialog is given, that
// dialog's keyboard handling (Tab, Shift+Tab, mnemonics, Enter, Esc) sees the
// message first: the main window passes its own, the configuration dialog its own.
bool PumpOneMessage(HWND hDialog = nullptr);

#endif
