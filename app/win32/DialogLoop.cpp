#include "app/win32/DialogLoop.h"

#include "app/logic/PollingLoop.h"
#include "app/win32/MessagePump.h"

void RunDialogLoop(HWND hDialog, HWND hOwner, const bool* pbDone, const std::function<void()>& fnPass,
                   const std::function<void(int)>& fnPause) {
  if (hOwner != nullptr) EnableWindow(hOwner, FALSE);
  ShowWindow(hDialog, SW_SHOW);
  CPollingLoop::Run({[pbDone, hDialog] { return *pbDone || !IsWindow(hDialog); },
                     [hDialog] { return PumpOneMessage(hDialog); }, fnPause, fnPass});
  // The owner comes back before the dialog goes, so activation returns to it.
  if (hOwner != nullptr) {
    EnableWindow(hOwner, TRUE);
    SetActiveWindow(hOwner);
  }
  if (IsWindow(hDialog)) DestroyWindow(hDialog);
}
