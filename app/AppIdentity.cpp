#include "app/AppIdentity.h"

#include <QApplication>

#include "app/ProgramIcon.h"

void SetApplicationIdentity() {
  QApplication::setApplicationName(QStringLiteral("kesto-manager"));
  QApplication::setOrganizationName(QStringLiteral("Kesto"));
  QApplication::setWindowIcon(ProgramIcon());
}
