#ifndef KESTO_PLATFORM_MEMORYREGISTRY_H
#define KESTO_PLATFORM_MEMORYREGISTRY_H

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/Registry.h"

namespace platform {

// A registry held in memory: keys exist only once created, values are byte strings.
// It stands in for the registry where there is none and serves tests as a fake.
class MemoryRegistry : public Registry {
 public:
  struct Value {
    uint32_t dwType = 0;
    std::vector<uint8_t> byData;
  };

  bool OpenKey(RegistryRoot root, const std::string& sPath, RegistryKey* pKey) override;
  bool ReadValue(RegistryKey key, const std::string& sName, uint32_t* pdwType, void* pData,
                 uint32_t* pdwSize) override;
  bool WriteValue(RegistryKey key, const std::string& sName, uint32_t dwType, const void* pData,
                  uint32_t dwSize) override;
  void CloseKey(RegistryKey key) override;
  bool CreateKey(RegistryRoot root, const std::string& sPath) override;
  bool DeleteKeyTree(RegistryRoot root, const std::string& sPath) override;

  void SetValue(RegistryRoot root, const std::string& sPath, const std::string& sName, Value value);
  // The value, or null when the key or value is missing.
  const Value* FindValue(RegistryRoot root, const std::string& sPath, const std::string& sName) const;

  int GetWriteCount() const { return m_iWrites; }
  int GetOpenKeyCount() const { return static_cast<int>(m_mapOpen.size()); }

 private:
  using KeyName = std::pair<RegistryRoot, std::string>;
  using Values = std::map<std::string, Value>;

  std::map<KeyName, Values> m_mapKeys;
  std::map<RegistryKey, KeyName> m_mapOpen;
  RegistryKey m_nextKey = 1;
  int m_iWrites = 0;
};

}  // namespace platform

#endif
