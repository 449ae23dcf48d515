#include "app/qt/ModalRun.h"

#include <QDialog>

#include "app/qt/EventPump.h"
#include "app/logic/PollingLoop.h"

bool RunModalWithPasses(QDialog& dialog, QWidget* pFirstFocus, const std::function<void()>& fnPass,
                        const std::function<void(int)>& fnPause) {
  bool bFinished = false;
  const auto connection = QObject::connect(&dialog, &QDialog::finished, &dialog, [&bFinished] { bFinished = true; });
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.show();
  if (pFirstFocus) pFirstFocus->setFocus(Qt::OtherFocusReason);
  CPollingLoop::Run({[&bFinished] { return bFinished; }, &ProcessWaitingEvents, fnPause, fnPass});
  QObject::disconnect(connection);
  return dialog.result() == QDialog::Accepted;
}
