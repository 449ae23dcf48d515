#include "app/qt/EventPump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

bool ProcessWaitingEvents() {
  // QCoreApplication::processEvents does exactly this but drops the answer,
  // which the loop needs to decide whether to pause.
  QAbstractEventDispatcher* pDispatcher = QAbstractEventDispatcher::instance();
  if (pDispatcher == nullptr) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return false;
  }
  return pDispatcher->processEvents(QEventLoop::AllEvents);
}
