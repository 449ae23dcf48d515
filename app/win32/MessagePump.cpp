#include "app/win32/MessagePump.h"

bool PumpOneMessage(HWND hDialog) {
  MSG theMessage;
  if (!PeekMessageW(&theMessage, nullptr, 0, 0, PM_REMOVE)) return false;
  // A quit message is dispatched like any other: only the quit flag ends the loop.
  if (hDialog != nullptr && IsWindow(hDialog) && IsDialogMessageW(hDialog, &theMessage)) return true;
  TranslateMessage(&theMessage);
  DispatchMessageW(&theMessage);
  return true;
}
