#include "platform/MemoryRegistry.h"

#include <cstring>
#include <iterator>

namespace platform {

bool MemoryRegistry::OpenKey(RegistryRoot root, const std::string& sPath, RegistryKey* pKey) {
  KeyName name{root, sPath};
  if (m_mapKeys.find(name) == m_mapKeys.end()) return false;
  RegistryKey key = m_nextKey++;
  m_mapOpen[key] = name;
  *pKey = key;
  return true;
}

bool MemoryRegistry::ReadValue(RegistryKey key, const std::string& sName, uint32_t* pdwType, void* pData,
                               uint32_t* pdwSize) {
  auto open = m_mapOpen.find(key);
  if (open == m_mapOpen.end()) return false;
  const Values& values = m_mapKeys[open->second];
  auto found = values.find(sName);
  if (found == values.end()) return false;
  const Value& value = found->second;
  uint32_t dwLength = static_cast<uint32_t>(value.byData.size());
  if (pdwType != nullptr) *pdwType = value.dwType;
  if (dwLength > *pdwSize) {
    *pdwSize = dwLength;
    return false;
  }
  if (dwLength > 0) std::memcpy(pData, value.byData.data(), dwLength);
  *pdwSize = dwLength;
  return true;
}

bool MemoryRegistry::WriteValue(RegistryKey key, const std::string& sName, uint32_t dwType, const void* pData,
                                uint32_t dwSize) {
  auto open = m_mapOpen.find(key);
  if (open == m_mapOpen.end()) return false;
  const auto* pBytes = static_cast<const uint8_t*>(pData);
  Value value{dwType, std::vector<uint8_t>(pBytes, pBytes + dwSize)};
  m_mapKeys[open->second][sName] = std::move(value);
  ++m_iWrites;
  return true;
}

void MemoryRegistry::CloseKey(RegistryKey key) { m_mapOpen.erase(key); }

bool MemoryRegistry::CreateKey(RegistryRoot root, const std::string& sPath) {
  // Keys are held by full path, so the keys above need no entry of their own.
  m_mapKeys[KeyName{root, sPath}];
  return true;
}

bool MemoryRegistry::DeleteKeyTree(RegistryRoot root, const std::string& sPath) {
  const std::string sBelow = sPath + "\\";
  for (auto it = m_mapKeys.begin(); it != m_mapKeys.end();) {
    const bool bInTree = it->first.first == root &&
                         (it->first.second == sPath || it->first.second.compare(0, sBelow.size(), sBelow) == 0);
    it = bInTree ? m_mapKeys.erase(it) : std::next(it);
  }
  return true;
}

void MemoryRegistry::SetValue(RegistryRoot root, const std::string& sPath, const std::string& sName,
                              Value value) {
  m_mapKeys[KeyName{root, sPath}][sName] = std::move(value);
}

const MemoryRegistry::Value* MemoryRegistry::FindValue(RegistryRoot root, const std::string& sPath,
                                                       const std::string& sName) const {
  auto key = m_mapKeys.find(KeyName{root, sPath});
  if (key == m_mapKeys.end()) return nullptr;
  auto found = key->second.find(sName);
  return found == key->second.end() ? nullptr : &found->second;
}

}  // namespace platform
