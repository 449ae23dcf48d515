#ifndef KESTO_APP_APPIDENTITY_H
#define KESTO_APP_APPIDENTITY_H

#include <QSettings>

// The program's name for its settings and its icon. It sets no display name:
// the window system would append one to every caption ("Kesto Configuration —
// ..."), and each window's caption is meant to stand as it is.
void SetApplicationIdentity();

// The window's settings file (kesto-manager.ini in the user's settings folder).
QSettings ApplicationSettings();

#endif
