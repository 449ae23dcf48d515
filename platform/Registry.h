#ifndef KESTO_PLATFORM_REGISTRY_H
#define KESTO_PLATFORM_REGISTRY_H

#include <cstdint>
#include <string>

namespace platform {

enum class RegistryRoot { kLocalMachine, kCurrentUser };

// An open key; 0 is none.
using RegistryKey = uintptr_t;
constexpr RegistryKey kNoRegistryKey = 0;

// Value types, numbered as the Windows registry numbers them.
constexpr uint32_t kRegistryBinary = 3;

// Open, read, write and close of named values under a key, with the contracts of
// the Windows registry calls. Abstract so tests use a private in-memory store.
class Registry {
 public:
  virtual ~Registry() = default;

  // Opens an existing key with read and write access; false when it is missing or refused.
  virtual bool OpenKey(RegistryRoot root, const std::string& sPath, RegistryKey* pKey) = 0;

  // Reads a value into pData, whose capacity *pdwSize gives. On success *pdwType and
  // *pdwSize hold the value's type and length. A missing value fails; a value longer than
  // the capacity fails with *pdwSize set to the length needed.
  virtual bool ReadValue(RegistryKey key, const std::string& sName, uint32_t* pdwType, void* pData,
                         uint32_t* pdwSize) = 0;

  // Creates or replaces a value.
  virtual bool WriteValue(RegistryKey key, const std::string& sName, uint32_t dwType, const void* pData,
                          uint32_t dwSize) = 0;

  virtual void CloseKey(RegistryKey key) = 0;

  // Creates a key and any missing keys above it; true when it exists afterwards.
  virtual bool CreateKey(RegistryRoot root, const std::string& sPath) = 0;

  // Deletes a key with every key and value below it; true when it is gone afterwards.
  virtual bool DeleteKeyTree(RegistryRoot root, const std::string& sPath) = 0;
};

// The system's registry: the real one on Windows; on POSIX, which has none, a
// process-wide in-memory store that starts empty and never touches a file.
Registry& SystemRegistry();

}  // namespace platform

#endif
