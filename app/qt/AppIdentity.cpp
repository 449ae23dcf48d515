#include "app/qt/AppIdentity.h"

#include <QApplication>

#include "app/qt/ProgramIcon.h"

void SetApplicationIdentity() {
  QApplication::setApplicationName(QStringLiteral("kesto-manager"));
  QApplication::setOrganizationName(QStringLiteral("Kesto"));
  QApplication::setWindowIcon(ProgramIcon());
}

QSettings ApplicationSettings() {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Kesto"), QStringLiteral("kesto-manager"));
}
