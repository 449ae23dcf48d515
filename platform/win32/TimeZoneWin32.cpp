#include <windows.h>

#include "platform/TimeZone.h"

namespace platform {

namespace {

SystemTime FromWin(const SYSTEMTIME& st) {
  return SystemTime{st.wYear, st.wMonth, st.wDayOfWeek, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

SYSTEMTIME ToWin(const SystemTime& st) {
  return SYSTEMTIME{st.wYear, st.wMonth, st.wDayOfWeek, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

class MachineTimeZone : public TimeZoneAccess {
 public:
  uint32_t Query(TimeZoneInformation* pInfo) override {
    TIME_ZONE_INFORMATION tzi{};
    DWORD dwId = GetTimeZoneInformation(&tzi);
    if (dwId == TIME_ZONE_ID_INVALID) return kTimeZoneIdInvalid;
    TimeZoneInformation info;
    info.lBias = tzi.Bias;
    for (int i = 0; i < 32; ++i) {
      info.szStandardName[i] = static_cast<char16_t>(tzi.StandardName[i]);
      info.szDaylightName[i] = static_cast<char16_t>(tzi.DaylightName[i]);
    }
    info.stStandardDate = FromWin(tzi.StandardDate);
    info.lStandardBias = tzi.StandardBias;
    info.stDaylightDate = FromWin(tzi.DaylightDate);
    info.lDaylightBias = tzi.DaylightBias;
    *pInfo = info;
    return dwId;
  }

  bool Apply(const TimeZoneInformation& info) override {
    TIME_ZONE_INFORMATION tzi{};
    tzi.Bias = info.lBias;
    for (int i = 0; i < 32; ++i) {
      tzi.StandardName[i] = static_cast<WCHAR>(info.szStandardName[i]);
      tzi.DaylightName[i] = static_cast<WCHAR>(info.szDaylightName[i]);
    }
    tzi.StandardDate = ToWin(info.stStandardDate);
    tzi.StandardBias = info.lStandardBias;
    tzi.DaylightDate = ToWin(info.stDaylightDate);
    tzi.DaylightBias = info.lDaylightBias;
    return SetTimeZoneInformation(&tzi) != FALSE;
  }
};

}  // namespace

TimeZoneAccess& SystemTimeZone() {
  static MachineTimeZone zone;
  return zone;
}

}  // namespace platform
