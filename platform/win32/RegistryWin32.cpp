#include <windows.h>

#include "platform/Registry.h"

namespace platform {

namespace {

HKEY RootHandle(RegistryRoot root) {
  return root == RegistryRoot::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

HKEY ToHandle(RegistryKey key) { return reinterpret_cast<HKEY>(key); }

class WinRegistry : public Registry {
 public:
  bool OpenKey(RegistryRoot root, const std::string& sPath, RegistryKey* pKey) override {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(RootHandle(root), sPath.c_str(), 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS) return false;
    *pKey = reinterpret_cast<RegistryKey>(hKey);
    return true;
  }

  bool ReadValue(RegistryKey key, const std::string& sName, uint32_t* pdwType, void* pData,
                 uint32_t* pdwSize) override {
    DWORD dwType = 0;
    DWORD dwSize = *pdwSize;
    LONG result = RegQueryValueExA(ToHandle(key), sName.c_str(), nullptr, &dwType, static_cast<LPBYTE>(pData),
                                   &dwSize);
    if (pdwType != nullptr) *pdwType = dwType;
    *pdwSize = dwSize;
    return result == ERROR_SUCCESS;
  }

  bool WriteValue(RegistryKey key, const std::string& sName, uint32_t dwType, const void* pData,
                  uint32_t dwSize) override {
    return RegSetValueExA(ToHandle(key), sName.c_str(), 0, dwType, static_cast<const BYTE*>(pData), dwSize) ==
           ERROR_SUCCESS;
  }

  void CloseKey(RegistryKey key) override { RegCloseKey(ToHandle(key)); }
};

}  // namespace

Registry& SystemRegistry() {
  static WinRegistry registry;
  return registry;
}

}  // namespace platform
