#include "app/win32/MessagePump.h"

bool PumpOneMessage(HWND hDialog) {
  MSG theMessage;
  if (!PeekMessageA(&theMessage, nullptr, 0, 0, PM_REMOVE)) return false;
  // A quit message is dispatched like any other: only the quit flag ends the loop.
  if (hDialog != nullptr && IsWindow(hDialog) && IsDialogMessageA(hDialog, &theMessage)) return true;
  TranslateMessage(&theMessage);
  DispatchMessageA(&theMessage);
  return true;
}
