#ifndef KESTO_APP_QT_CHANGELOGMENU_H
#define KESTO_APP_QT_CHANGELOGMENU_H

#include <functional>
#include <string>

class CQUORINPresenter;
class QMenu;
class QWidget;

// The row menu's "Undo last change..." (a preview of what goes back, confirmed
// before anything is sent) and "Change history..." (the device's logged changes).
void AddChangeLogActions(QMenu* pMenu, CQUORINPresenter& presenter, QWidget* pParent);

// Opens the window's change log unless its settings turn it off.
void StartChangeLogFromSettings();

// The checkable item that keeps the change log or not, naming where it is: a click
// stores the choice and opens or closes the log at once; fnStatus hears which.
void AddChangeLogSwitch(QMenu* pMenu, QWidget* pParent, std::function<void(const std::string&)> fnStatus);

#endif
