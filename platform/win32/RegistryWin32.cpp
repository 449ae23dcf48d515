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

  bool CreateKey(RegistryRoot root, const std::string& sPath) override {
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(RootHandle(root), sPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &hKey, nullptr) != ERROR_SUCCESS)
      return false;
    RegCloseKey(hKey);
    return true;
  }

  bool DeleteKeyTree(RegistryRoot root, const std::string& sPath) override {
    // RegDeleteTreeA on an open key removes what is below it; the key itself goes after.
    HKEY hKey = nullptr;
    LONG result = RegOpenKeyExA(RootHandle(root), sPath.c_str(), 0, KEY_ALL_ACCESS, &hKey);
    if (result == ERROR_FILE_NOT_FOUND) return true;
    if (result != ERROR_SUCCESS) return false;
    result = RegDeleteTreeA(hKey, nullptr);
    RegCloseKey(hKey);
    if (result != ERROR_SUCCESS) return false;
    result = RegDeleteKeyA(RootHandle(root), sPath.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
  }
};

}  // namespace

Registry& SystemRegistry() {
  static WinRegistry registry;
  return registry;
}

}  // namespace platform
