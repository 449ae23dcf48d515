#ifndef KESTO_APP_LOGIC_DEVICECOLUMNS_H
#define KESTO_APP_LOGIC_DEVICECOLUMNS_H

#include <array>

#include "formats/DeviceRowTexts.h"

// The device list's columns, left to right, with their widths in pixels.
struct DeviceColumn {
  const char* pszTitle;
  int iWidth;
};

inline constexpr std::array<DeviceColumn, 5> kDeviceColumns{{
    {kDeviceRowTitles[0], 110},
    {kDeviceRowTitles[1], 150},
    {kDeviceRowTitles[2], 100},
    {kDeviceRowTitles[3], 40},
    {kDeviceRowTitles[4], 150},
}};

#endif
