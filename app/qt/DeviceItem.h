#ifndef KESTO_APP_DEVICEITEM_H
#define KESTO_APP_DEVICEITEM_H

#include <QString>
#include <QTreeWidgetItem>
#include <cstdint>
#include <string>

#include "app/logic/DeviceListView.h"
#include "discovery/KestoRecord.h"

// One row of the list: what the presenter said about it plus the record the
// extra columns, the sort key and the copy commands are drawn from.
class CDeviceItem : public QTreeWidgetItem {
 public:
  DeviceRowKey key = 0;
  uint64_t nSeq = 0;  // arrival order; the newest row has the highest
  KESTO_RECORD record{};
  bool bShown = true;
  bool bWarning = false;
  std::string sSortKey;

  // Every text the presenter hands over is UTF-8, device texts escaped by it already.
  static QString Local(const std::string& s) { return QString::fromUtf8(s.c_str()); }
  static void MacOfKey(DeviceRowKey key, uint8_t byMAC[6]) {
    for (int i = 5; i >= 0; --i, key >>= 8) byMAC[i] = static_cast<uint8_t>(key & 0xFF);
  }
};

#endif
