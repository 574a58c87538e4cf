#include "tests/seccenter/wmi_standin/standin_store.h"

#include <sstream>

namespace tvn::test::standin_store {
namespace {

// Each test program names its own store, so test programs running at the
// same time in one prefix do not see each other's instances; the processes
// a test starts inherit the name with its environment.
std::wstring RootKey() {
  wchar_t name[64] = L"shared";
  GetEnvironmentVariableW(kStoreNameVariable, name, 64);
  return std::wstring(L"Software\\Torvane tests\\WMI stand-in\\") + name;
}
// A value name no WMI property can have: the order the properties were set.
constexpr wchar_t kPutOrderValue[] = L"(put order)";

// An open registry key, closed when the scope ends.
class Key {
 public:
  explicit Key(const std::wstring& path, bool create) {
    const std::wstring full = RootKey() + (path.empty() ? L"" : L"\\" + path);
    const LONG status = create ? RegCreateKeyExW(HKEY_CURRENT_USER, full.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &key_, nullptr)
                               : RegOpenKeyExW(HKEY_CURRENT_USER, full.c_str(), 0, KEY_ALL_ACCESS, &key_);
    if (status != ERROR_SUCCESS) key_ = nullptr;
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  explicit operator bool() const { return key_ != nullptr; }
  HKEY get() const { return key_; }

  void SetText(const std::wstring& name, const std::wstring& text) {
    RegSetValueExW(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  void SetNumber(const std::wstring& name, DWORD number) {
    RegSetValueExW(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
  }
  DWORD Number(const std::wstring& name) const {
    DWORD number = 0, size = sizeof(number);
    if (!key_ || RegGetValueW(key_, nullptr, name.c_str(), RRF_RT_REG_DWORD, nullptr, &number, &size) != ERROR_SUCCESS)
      return 0;
    return number;
  }

 private:
  HKEY key_ = nullptr;
};

// Registry key names cannot hold a backslash; namespaces use one per level.
std::wstring NamespaceKey(std::wstring_view nameSpace) {
  std::wstring name(nameSpace);
  for (auto& c : name)
    if (c == L'\\') c = L'/';
  return L"Namespaces\\" + name;
}

std::wstring ClassKey(std::wstring_view nameSpace, std::wstring_view className) {
  return NamespaceKey(nameSpace) + L"\\" + std::wstring(className);
}

std::wstring InstanceKey(std::wstring_view nameSpace, std::wstring_view className, std::wstring_view key) {
  return ClassKey(nameSpace, className) + L"\\" + std::wstring(key);
}

std::wstring JoinNames(const std::vector<std::wstring>& names) {
  std::wstring joined;
  for (const auto& name : names) joined += (joined.empty() ? L"" : L",") + name;
  return joined;
}

std::vector<std::wstring> SplitNames(const std::wstring& joined) {
  std::vector<std::wstring> names;
  std::wstringstream stream(joined);
  for (std::wstring name; std::getline(stream, name, L',');) names.push_back(name);
  return names;
}

}  // namespace

void Reset() { RegDeleteTreeW(HKEY_CURRENT_USER, RootKey().c_str()); }

void AddNamespace(std::wstring_view nameSpace) { Key(NamespaceKey(nameSpace), true); }

bool HasNamespace(std::wstring_view nameSpace) { return static_cast<bool>(Key(NamespaceKey(nameSpace), false)); }

void SaveInstance(std::wstring_view nameSpace, std::wstring_view className, std::wstring_view key,
                  const StoredInstance& instance) {
  const std::wstring path = InstanceKey(nameSpace, className, key);
  RegDeleteTreeW(HKEY_CURRENT_USER, (RootKey() + L"\\" + path).c_str());
  Key stored(path, true);
  for (const auto& [name, value] : instance.properties) {
    if (const auto* text = std::get_if<std::wstring>(&value))
      stored.SetText(name, *text);
    else
      stored.SetNumber(name, static_cast<DWORD>(static_cast<LONG>(std::get<VARIANT_BOOL>(value))));
  }
  stored.SetText(kPutOrderValue, JoinNames(instance.putOrder));
}

std::optional<StoredInstance> LoadInstance(std::wstring_view nameSpace, std::wstring_view className,
                                           std::wstring_view key) {
  Key stored(InstanceKey(nameSpace, className, key), false);
  if (!stored) return std::nullopt;
  StoredInstance instance;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    BYTE data[2048];
    DWORD nameLength = 256, dataSize = sizeof(data) - sizeof(wchar_t), type = 0;
    if (RegEnumValueW(stored.get(), index, name, &nameLength, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
    if (type == REG_DWORD) {
      instance.properties[name] = static_cast<VARIANT_BOOL>(*reinterpret_cast<const LONG*>(data));
      continue;
    }
    data[dataSize] = data[dataSize + 1] = 0;
    const std::wstring text(reinterpret_cast<const wchar_t*>(data));
    if (std::wstring_view(name) == kPutOrderValue)
      instance.putOrder = SplitNames(text);
    else
      instance.properties[name] = text;
  }
  return instance;
}

bool DeleteInstance(std::wstring_view nameSpace, std::wstring_view className, std::wstring_view key) {
  const std::wstring full = RootKey() + L"\\" + InstanceKey(nameSpace, className, key);
  return RegDeleteTreeW(HKEY_CURRENT_USER, full.c_str()) == ERROR_SUCCESS;
}

std::vector<std::wstring> InstanceKeys(std::wstring_view nameSpace, std::wstring_view className) {
  std::vector<std::wstring> keys;
  Key classKey(ClassKey(nameSpace, className), false);
  if (!classKey) return keys;
  wchar_t name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = 256;
    if (RegEnumKeyExW(classKey.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    keys.emplace_back(name);
  }
  return keys;
}

// Counts are read, incremented and written back under a named mutex, so the
// processes of one test can count without losing updates.
void CountCall(std::wstring_view method) {
  HANDLE lock = CreateMutexW(nullptr, FALSE, L"Torvane tests WMI stand-in counts");
  WaitForSingleObject(lock, INFINITE);
  Key calls(L"Calls", true);
  calls.SetNumber(std::wstring(method), calls.Number(std::wstring(method)) + 1);
  ReleaseMutex(lock);
  CloseHandle(lock);
}

DWORD CallCount(std::wstring_view method) { return Key(L"Calls", false).Number(std::wstring(method)); }

DWORD TotalCalls() {
  Key calls(L"Calls", false);
  DWORD total = 0;
  for (DWORD index = 0; calls; ++index) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumValueW(calls.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    total += calls.Number(name);
  }
  return total;
}

void SetFailure(std::wstring_view method, HRESULT status) {
  Key(L"Failures", true).SetNumber(std::wstring(method), static_cast<DWORD>(status));
}

HRESULT FailureFor(std::wstring_view method) {
  return static_cast<HRESULT>(Key(L"Failures", false).Number(std::wstring(method)));
}

}  // namespace tvn::test::standin_store
