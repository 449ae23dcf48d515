#ifndef KESTO_APP_EVENTPUMP_H
#define KESTO_APP_EVENTPUMP_H

// Handles the toolkit events that are waiting, without blocking; true when any
// were handled. The polling loop pauses only when this returns false.
bool ProcessWaitingEvents();

#endif
