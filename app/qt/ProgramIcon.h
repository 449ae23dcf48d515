#ifndef KESTO_APP_PROGRAMICON_H
#define KESTO_APP_PROGRAMICON_H

#include <QIcon>

// The program icon, drawn from its SVG at the usual icon sizes.
QIcon ProgramIcon();

#endif
