#include "COMMON/TimeServer.h"

#include <new>
#include <utility>

const char kTimeZoneKeyPath[] = "SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation";
const char kDaylightStartValue[] = "DaylightStart";
const char kStandardStartValue[] = "StandardStart";

namespace {

CTimeServer* g_pTimeServer = nullptr;

constexpr uint32_t kRuleImageSize = 16;

// A yearly transition date as the registry stores it: eight little-endian 16-bit
// words year, month, day of week, day, hour, minute, second, milliseconds.
void BuildRuleImage(uint16_t shMonth, uint16_t shDay, uint8_t (&byImage)[kRuleImageSize]) {
  for (uint8_t& b : byImage) b = 0;
  const uint16_t shWords[8] = {0, shMonth, 0, shDay, 2, 0, 0, 0};
  for (int i = 0; i < 8; ++i) {
    byImage[2 * i] = static_cast<uint8_t>(shWords[i] & 0xFF);
    byImage[2 * i + 1] = static_cast<uint8_t>(shWords[i] >> 8);
  }
}

// Reads a value and tells whether it differs from the image. A value that cannot be
// read is not compared; one shorter than the image counts as different.
bool ReadsDifferent(platform::Registry& registry, platform::RegistryKey key, const char* pszName,
                    const uint8_t (&byImage)[kRuleImageSize]) {
  uint8_t byRead[32] = {};
  uint32_t dwSize = sizeof byRead;
  uint32_t dwType = 0;
  if (!registry.ReadValue(key, pszName, &dwType, byRead, &dwSize)) return false;
  if (dwSize < kRuleImageSize) return true;
  for (uint32_t i = 0; i < kRuleImageSize; ++i)
    if (byRead[i] != byImage[i]) return true;
  return false;
}

}  // namespace

CTimeServer::CTimeServer() : CTimeServer(platform::SystemTimeZone(), platform::SystemRegistry()) {}

CTimeServer::CTimeServer(platform::TimeZoneAccess& zone, platform::Registry& registry)
    : CTimeServer(zone, registry, TimeServerKey{platform::RegistryRoot::kLocalMachine, kTimeZoneKeyPath}) {}

CTimeServer::CTimeServer(platform::TimeZoneAccess& zone, platform::Registry& registry, TimeServerKey key)
    : m_pZone(&zone), m_pRegistry(&registry), m_key(std::move(key)) {
  ApplyFixedRule();
  StoreRuleInRegistry();
}

CTimeServer::~CTimeServer() = default;

void CTimeServer::ApplyFixedRule() {
  m_dwTimeZoneId = m_pZone->Query(&m_tzi);
  // Only the dates' month, weekday and occurrence change; their time of day, the
  // biases and the names stay as queried, even for a zone that kept no daylight time.
  platform::SystemTime& stDaylight = m_tzi.stDaylightDate;
  stDaylight.wYear = 0;
  stDaylight.wMonth = 3;
  stDaylight.wDayOfWeek = 0;
  stDaylight.wDay = 2;
  platform::SystemTime& stStandard = m_tzi.stStandardDate;
  stStandard.wYear = 0;
  stStandard.wMonth = 11;
  stStandard.wDayOfWeek = 0;
  stStandard.wDay = 1;
  m_pZone->Apply(m_tzi);
}

void CTimeServer::StoreRuleInRegistry() {
  platform::RegistryKey keyTZ = platform::kNoRegistryKey;
  if (!m_pRegistry->OpenKey(m_key.root, m_key.sPath, &keyTZ)) return;
  uint8_t byDayStart[kRuleImageSize];
  uint8_t byStdStart[kRuleImageSize];
  BuildRuleImage(3, 2, byDayStart);
  BuildRuleImage(11, 1, byStdStart);
  bool bDifferent = ReadsDifferent(*m_pRegistry, keyTZ, kDaylightStartValue, byDayStart);
  // StandardStart is read even when DaylightStart already differs, as the one pass reads both.
  bool bStandardDifferent = ReadsDifferent(*m_pRegistry, keyTZ, kStandardStartValue, byStdStart);
  if (!bDifferent) bDifferent = bStandardDifferent;
  if (bDifferent) {
    // A difference in either value rewrites both.
    m_pRegistry->WriteValue(keyTZ, kDaylightStartValue, platform::kRegistryBinary, byDayStart, kRuleImageSize);
    m_pRegistry->WriteValue(keyTZ, kStandardStartValue, platform::kRegistryBinary, byStdStart, kRuleImageSize);
  }
  m_pRegistry->CloseKey(keyTZ);
}

double CTimeServer::GetBias() const { return m_tzi.lBias / 60.0; }

bool CTimeServer::SetBias(int32_t iHours) {
  platform::TimeZoneInformation tzi;
  m_pZone->Query(&tzi);
  int32_t lMinutes = static_cast<int32_t>(static_cast<int64_t>(iHours) * 60);
  tzi.lBias = lMinutes;
  m_tzi.lBias = lMinutes;
  return m_pZone->Apply(tzi);
}

CTimeServer* CreateTimeServer() {
  g_pTimeServer = new (std::nothrow) CTimeServer();
  return g_pTimeServer;
}

void DestroyTimeServer() {
  delete g_pTimeServer;
  g_pTimeServer = nullptr;
}

CTimeServer* GetTimeServer() { return g_pTimeServer; }
