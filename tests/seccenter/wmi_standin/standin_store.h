// Where the stand-in WMI service keeps its world: the namespaces that exist,
// the instances written, how often each method was called and the failures a
// test asked for. It lives in the registry of the Wine prefix (HKCU), so a
// test and every process it starts see the same data.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tvn::test {

// A property as stored: a string (VT_BSTR) or the raw VARIANT_BOOL of a
// boolean (VT_BOOL), kept as written so a wrong "true" shows.
using PropertyValue = std::variant<std::wstring, VARIANT_BOOL>;

struct StoredInstance {
  std::map<std::wstring, PropertyValue> properties;
  std::vector<std::wstring> putOrder;  // property names in the order they were set
};

namespace standin_store {

// The environment variable that names the store a process uses ("shared"
// when unset); a test program sets it before its first call.
inline constexpr wchar_t kStoreNameVariable[] = L"TVN_WMI_STANDIN_STORE";
inline void UseStore(const wchar_t* name) { SetEnvironmentVariableW(kStoreNameVariable, name); }

// Forgets every namespace, instance, count and failure.
void Reset();

// Namespaces are named without the machine part: L"root\\SecurityCenter".
void AddNamespace(std::wstring_view nameSpace);
bool HasNamespace(std::wstring_view nameSpace);

void SaveInstance(std::wstring_view nameSpace, std::wstring_view className, std::wstring_view key,
                  const StoredInstance& instance);
std::optional<StoredInstance> LoadInstance(std::wstring_view nameSpace, std::wstring_view className,
                                           std::wstring_view key);
// False when there was no such instance.
bool DeleteInstance(std::wstring_view nameSpace, std::wstring_view className, std::wstring_view key);
// The key values of the class's instances.
std::vector<std::wstring> InstanceKeys(std::wstring_view nameSpace, std::wstring_view className);

// Method names as the interfaces spell them ("ConnectServer", "PutInstance";
// "CreateInstance" for the locator's class factory).
void CountCall(std::wstring_view method);
DWORD CallCount(std::wstring_view method);
DWORD TotalCalls();

// Makes every later call of the method fail with `status` (0 clears it).
void SetFailure(std::wstring_view method, HRESULT status);
HRESULT FailureFor(std::wstring_view method);

}  // namespace standin_store
}  // namespace tvn::test
