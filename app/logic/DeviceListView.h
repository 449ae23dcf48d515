#ifndef KESTO_APP_LOGIC_DEVICELISTVIEW_H
#define KESTO_APP_LOGIC_DEVICELISTVIEW_H

#include <array>
#include <string>

// The five texts of one device-list row: name, MAC address, IP address, port, version.
using DeviceRowTexts = std::array<std::string, 5>;

// What the main window's presenter needs from the list on screen. The widget
// implements it; tests use a plain recorder. Row 0 is the top row.
class IDeviceListView {
 public:
  virtual ~IDeviceListView() = default;
  virtual void InsertRow(int iIndex, const DeviceRowTexts& texts) = 0;
  virtual void SetRowTexts(int iIndex, const DeviceRowTexts& texts) = 0;
  virtual void DeleteRow(int iIndex) = 0;
  // The selected row, or -1 when none is selected.
  virtual int GetSelectedRow() const = 0;
};

#endif
