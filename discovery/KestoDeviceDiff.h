#ifndef KESTO_DISCOVERY_KESTODEVICEDIFF_H
#define KESTO_DISCOVERY_KESTODEVICEDIFF_H

#include <cstdint>

#include "discovery/KestoFinder.h"
#include "discovery/KestoInfo.h"

// What one pass over the finder's entries tells a front end: which entries are
// new to it, which may have changed and which aged out. The window and `kesto
// watch` both follow the finder through here, so the listed/changed/aged steps
// and the removal that ends them are written once.
class CKestoDeviceDiff {
 public:
  enum class Event { kAdded, kChanged, kRemoved };

  // Calls onEvent(Event, CKestoInfo&) for the entries in list order: kAdded once an
  // entry (raising its bListed), kChanged for a listed entry whose record was ever
  // replaced (or every listed one with bRecheckAll), kRemoved for an entry older than
  // dwAgeLimitMs at dwNow. The aged entries are then dropped at that same tick, so a
  // front end removes exactly what it was told of.
  template <typename OnEvent>
  static void Pass(CKestoFinder& finder, uint32_t dwNow, uint32_t dwAgeLimitMs, bool bRecheckAll, OnEvent onEvent) {
    finder.VisitDevices([&](CKestoInfo& entry) {
      if (!entry.bListed) {
        entry.bListed = 1;
        onEvent(Event::kAdded, entry);
      } else if (entry.bChanged || bRecheckAll) {
        onEvent(Event::kChanged, entry);
      }
      if (entry.IsAged(dwNow, dwAgeLimitMs)) onEvent(Event::kRemoved, entry);
    });
    finder.RemoveAged(dwNow, dwAgeLimitMs);
  }
};

#endif
