#ifndef KESTO_APP_QT_CHANGELOGMENU_H
#define KESTO_APP_QT_CHANGELOGMENU_H

class CQUORINPresenter;
class QMenu;
class QWidget;

// The row menu's "Undo last change..." (a preview of what goes back, confirmed
// before anything is sent) and "Change history..." (the device's logged changes).
void AddChangeLogActions(QMenu* pMenu, CQUORINPresenter& presenter, QWidget* pParent);

#endif
