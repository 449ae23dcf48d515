#ifndef KESTO_APP_LOGIC_DEVICELISTVIEW_H
#define KESTO_APP_LOGIC_DEVICELISTVIEW_H

#include <cstdint>
#include <string>
#include <vector>

#include "discovery/KestoRecord.h"
#include "formats/DeviceRowTexts.h"

// Names a row for as long as it lives: its device's MAC address in the low 48 bits.
using DeviceRowKey = uint64_t;

inline DeviceRowKey RowKeyOf(const KESTO_RECORD& record) { return MacKey(record.byMAC); }
// A row key turned back into the six MAC bytes.
inline void MacFromKey(DeviceRowKey key, uint8_t byMAC[6]) {
  for (int i = 5; i >= 0; --i, key >>= 8) byMAC[i] = static_cast<uint8_t>(key & 0xFF);
}

// What the main window's presenter needs from the list on screen. The widget
// implements it; tests use a plain recorder. Every row the presenter keeps is
// in the view, in the same order, newest on top; rows the filter leaves out
// are hidden rather than removed, so the view never needs an index from the
// presenter and each call is one lookup by key.
class IDeviceListView {
 public:
  virtual ~IDeviceListView() = default;
  // A new row above every other one.
  virtual void InsertTopRow(DeviceRowKey key, const DeviceRowTexts& texts, bool bShown) = 0;
  virtual void SetRowTexts(DeviceRowKey key, const DeviceRowTexts& texts) = 0;
  // A row that is hidden is also no longer selected.
  virtual void SetRowShown(DeviceRowKey key, bool bShown) = 0;
  // The warning icon in the first column. The row's tooltip is not handed over: the
  // view asks the presenter for it (GetRowToolTip) when it shows one.
  virtual void SetRowMarks(DeviceRowKey key, bool bWarning) = 0;
  virtual void DeleteRow(DeviceRowKey key) = 0;
  // The selected row's key; false when none is selected.
  virtual bool GetSelectedRow(DeviceRowKey* pKey) const = 0;
  // Every selected row's key in the order the list shows them (its sort), for
  // the commands on several devices; by default the one selected row.
  virtual std::vector<DeviceRowKey> GetSelectedRows() const {
    DeviceRowKey key = 0;
    if (GetSelectedRow(&key)) return {key};
    return {};
  }
  // The line under the list.
  virtual void SetStatusText(const std::string& sText) = 0;
  // The adapters the adapter box offers besides "All adapters".
  virtual void SetAdapterNames(const std::vector<std::string>& names) = 0;
};

#endif
