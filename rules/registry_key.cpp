#include "rules/registry_key.h"

#include "rules/store_error.h"

namespace tvn {

namespace {

// Full access, in the 32-bit view of SOFTWARE on 64-bit Windows.
constexpr REGSAM kAccess = KEY_ALL_ACCESS | KEY_WOW64_32KEY;
// The longest value name the registry allows, plus its terminator.
constexpr DWORD kMaxValueName = 16384;

}  // namespace

RegistryKey::~RegistryKey() {
  if (handle_) RegCloseKey(handle_);
}

bool RegistryKey::Open(const std::string& path, OpenMode mode) {
  if (mode == kCreate)
    return RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kAccess, nullptr,
                           &handle_, nullptr) == ERROR_SUCCESS;
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, kAccess, &handle_) == ERROR_SUCCESS;
}

bool RegistryKey::ValueExists(const std::string& name) const {
  return RegQueryValueExA(handle_, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void RegistryKey::WriteEmptyString(const std::string& name) {
  static const BYTE kEmpty[1] = {0};
  if (RegSetValueExA(handle_, name.c_str(), 0, REG_SZ, kEmpty, 1) != ERROR_SUCCESS) ThrowCannotSetData(name);
}

DWORD RegistryKey::ReadDword(const std::string& name) const {
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  const LONG status = RegQueryValueExA(handle_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  if ((status != ERROR_SUCCESS && status != ERROR_MORE_DATA) || type != REG_DWORD || size != sizeof value)
    ThrowWrongDataType(name);
  return value;
}

void RegistryKey::WriteDword(const std::string& name, DWORD value) {
  if (RegSetValueExA(handle_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) !=
      ERROR_SUCCESS)
    ThrowCannotSetData(name);
}

std::vector<std::string> RegistryKey::ValueNames() const {
  std::vector<std::string> names;
  std::vector<char> buffer(kMaxValueName);
  for (DWORD index = 0;; ++index) {
    DWORD length = kMaxValueName;
    if (RegEnumValueA(handle_, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.emplace_back(buffer.data(), length);
  }
  return names;
}

bool RegistryKey::DeleteValue(const std::string& name) {
  return RegDeleteValueA(handle_, name.c_str()) == ERROR_SUCCESS;
}

bool DeleteRegistryTree(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, kAccess, &key) != ERROR_SUCCESS) return false;
  const bool deleted = RegDeleteTreeA(key, nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  // RegDeleteTree empties the key; the key itself goes with RegDeleteKeyEx.
  return RegDeleteKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), KEY_WOW64_32KEY, 0) == ERROR_SUCCESS && deleted;
}

}  // namespace tvn
