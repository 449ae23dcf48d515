#ifndef KESTO_APP_LOGIC_DEVICELISTSTATE_H
#define KESTO_APP_LOGIC_DEVICELISTSTATE_H

#include <string>

// What the window says about its list: the device count beside the status line
// and the message an empty list shows instead of rows.
struct DeviceListFacts {
  int nRows = 0;                     // every row kept, shown or not
  int nShown = 0;                    // the rows the filter lets through
  bool bAnyAnswer = false;           // some device answered since the program started
  bool bFiltering = false;           // the filter box holds a text
  bool bNoBroadcastAdapter = false;  // the adapters are known and none of them can broadcast
  bool bEmptyForLong = false;        // no row for a few seconds (CQUORINPresenter::IsEmptyForLong)
};

class CDeviceListState {
 public:
  // "Searching...", "1 device", "12 devices", "3 of 12 shown".
  static std::string CountText(const DeviceListFacts& facts);
  // Empty while a row is shown. An empty list that stays so names the usual causes and the checks.
  static std::string EmptyText(const DeviceListFacts& facts);
};

#endif
