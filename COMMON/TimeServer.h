#ifndef KESTO_COMMON_TIMESERVER_H
#define KESTO_COMMON_TIMESERVER_H

#include <cstdint>
#include <string>

#include "platform/Registry.h"
#include "platform/TimeZone.h"

// Process-wide service over the time zone. Creating it brings the zone's daylight
// rule to the fixed one (daylight time from the second Sunday of March, standard time
// from the first Sunday of November), in the running zone and in the registry's copy.
// Where the registry's copy of the rule lives.
struct TimeServerKey {
  platform::RegistryRoot root;
  std::string sPath;
};

class CTimeServer {
 public:
  // Works on the system's zone and registry.
  CTimeServer();
  // Works on the given ones, which must outlive the service.
  CTimeServer(platform::TimeZoneAccess& zone, platform::Registry& registry);
  // Keeps the rule's copy under another key: tests on a real registry give one of
  // their own making rather than the machine's zone settings.
  CTimeServer(platform::TimeZoneAccess& zone, platform::Registry& registry, TimeServerKey key);
  CTimeServer(const CTimeServer&) = delete;
  CTimeServer& operator=(const CTimeServer&) = delete;
  virtual ~CTimeServer();

  // The zone's bias in hours (UTC = local time + bias): 300 minutes give 5.0.
  double GetBias() const;
  // Applies the system's current zone with the bias set to iHours; the stored bias
  // changes even when the apply is refused.
  bool SetBias(int32_t iHours);

  const platform::TimeZoneInformation& GetZone() const { return m_tzi; }
  uint32_t GetTimeZoneId() const { return m_dwTimeZoneId; }

 private:
  void ApplyFixedRule();
  void StoreRuleInRegistry();

  platform::TimeZoneInformation m_tzi;
  uint32_t m_dwTimeZoneId = platform::kTimeZoneIdInvalid;
  platform::TimeZoneAccess* m_pZone;
  platform::Registry* m_pRegistry;
  TimeServerKey m_key;
};

// Key and value names of the registry's copy of the rule (the key under the local machine's root).
extern const char kTimeZoneKeyPath[];
extern const char kDaylightStartValue[];
extern const char kStandardStartValue[];

// Creates the one instance and remembers it; null when allocation fails. It does not
// look for an existing one: create the service once.
CTimeServer* CreateTimeServer();
// Destroys the instance if there is one; afterwards there is none.
void DestroyTimeServer();
// The instance, or null.
CTimeServer* GetTimeServer();

#endif
