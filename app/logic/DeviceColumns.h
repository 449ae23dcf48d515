#ifndef KESTO_APP_LOGIC_DEVICECOLUMNS_H
#define KESTO_APP_LOGIC_DEVICECOLUMNS_H

#include <array>

// The device list's columns, left to right, with their widths in pixels.
struct DeviceColumn {
  const char* pszTitle;
  int iWidth;
};

inline constexpr std::array<DeviceColumn, 5> kDeviceColumns{{
    {"Name", 110},
    {"MAC Address", 150},
    {"IP Address", 100},
    {"Port", 40},
    {"Version", 150},
}};

#endif
