#ifndef KESTO_APP_MODALRUN_H
#define KESTO_APP_MODALRUN_H

#include <functional>

class QDialog;
class QWidget;

// Shows the dialog application-modal and runs the polling loop until it is
// closed, so the finder keeps being polled behind it; true when accepted.
bool RunModalWithPasses(QDialog& dialog, QWidget* pFirstFocus, const std::function<void()>& fnPass,
                        const std::function<void(int)>& fnPause);

#endif
