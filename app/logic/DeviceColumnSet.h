#ifndef KESTO_APP_LOGIC_DEVICECOLUMNSET_H
#define KESTO_APP_LOGIC_DEVICECOLUMNSET_H

#include <cstdint>
#include <string>
#include <vector>

#include "discovery/KestoRecord.h"

// Every column the device list can show: the five it always shows first, then
// the ones the header's context menu adds. Each has its text and a sort key
// drawn from the record, so sorting goes by value (addresses as numbers, MACs
// by bytes) rather than by the shown text.
class CDeviceColumnSet {
 public:
  enum Id { kName, kMAC, kIP, kPort, kVersion, kNetMask, kGateway, kDNS, kType, kProtocol, kBaud, kLastSeen, kCount };

  struct Column {
    Id id;
    const char* pszTitle;
    int iWidth;           // the starting width in pixels
    bool bDefault;        // shown unless the user hid it
    const char* pszSample;  // the widest value the column must show uncut; empty when none is fixed
  };

  static const Column& Get(int iColumn);
  static constexpr int kDefaultCount = 5;

  // The text of a column beyond the first five (those come from the presenter's
  // row texts); dwAgeMs is the time since the device's last answer.
  static std::string Text(int iColumn, const KESTO_RECORD& record, uint32_t dwAgeMs);
  // Compares with plain < on bytes: numbers are fixed-width hex, texts fold
  // ASCII case first and keep their bytes as the tie-break.
  static std::string SortKey(int iColumn, const KESTO_RECORD& record, uint32_t dwAgeMs);

  // "0.4 s", "12 s", "3 min".
  static std::string AgeText(uint32_t dwAgeMs);
  // The rate the configuration dialog would show for a record's 16-bit field
  // (49664 is 115200), or the field itself when no offered rate matches.
  static uint32_t BaudRateOf(uint16_t wBaudRate);
};

#endif
