#ifndef KESTO_PLAN_CHANGEUNDO_H
#define KESTO_PLAN_CHANGEUNDO_H

#include <string>
#include <vector>

#include "discovery/KestoSettingsChange.h"
#include "plan/ChangeHistory.h"

// What taking back a logged change sends: the fields the change altered, with
// the values they had before it. Empty when it altered none of them.
CKestoSettingsChange UndoRequest(const LoggedChange& change);

// "name: "New" -> "Old"" for each field going back, device texts escaped.
std::vector<std::string> UndoFieldTexts(const LoggedChange& change);

// One line naming the change: "2026-12-10T02:30:00.123Z kesto set (confirmed)",
// the logged texts escaped.
std::string ChangeSummary(const LoggedChange& change);

#endif
