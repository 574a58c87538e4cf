// One open registry key under HKEY_LOCAL_MACHINE in the 32-bit view, with
// full access, closed when the object goes: the store opens a key for each
// operation and no handle outlives it. Windows only.
//
//   RegistryKey key;
//   if (key.Open(path, RegistryKey::kCreate)) key.WriteEmptyString(name);
//
// Write and type failures raise StoreError with the value name.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace tvn {

class RegistryKey {
 public:
  enum OpenMode { kOpenExisting, kCreate };

  RegistryKey() = default;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  ~RegistryKey();

  // False when the key cannot be opened (or created).
  bool Open(const std::string& path, OpenMode mode);

  bool ValueExists(const std::string& name) const;
  void WriteEmptyString(const std::string& name);
  // A REG_DWORD value; any other type raises "Type de donn\xE9es incorrect".
  DWORD ReadDword(const std::string& name) const;
  void WriteDword(const std::string& name, DWORD value);
  // Value names in the registry's enumeration order.
  std::vector<std::string> ValueNames() const;
  bool DeleteValue(const std::string& name);

 private:
  HKEY handle_ = nullptr;
};

// Deletes a key and everything under it (tests clean their own roots).
bool DeleteRegistryTree(const std::string& path);

}  // namespace tvn
