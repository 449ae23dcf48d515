#ifndef KESTO_APP_WIN32_MULTICONFIGDLG_H
#define KESTO_APP_WIN32_MULTICONFIGDLG_H

#include <windows.h>

#include <functional>

#include "app/logic/MultiConfigForm.h"

// "Basic Config..." with several rows selected (dialog 141): the fields of
// CMultiConfigForm, a blank one leaving that setting alone, with the plan they
// make shown live below them and "Apply to N devices"; run in the program's
// loop so the list keeps being polled. True when the form was confirmed.
bool RunMultiConfigDialog(HWND hOwner, CMultiConfigForm& form, const std::function<void()>& fnPass,
                          const std::function<void(int)>& fnPause);

#endif
