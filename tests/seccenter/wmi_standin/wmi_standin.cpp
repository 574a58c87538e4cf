#include "tests/seccenter/wmi_standin/wmi_standin.h"

#include <oleauto.h>
#include <wbemcli.h>

#include <atomic>
#include <cwchar>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "tests/seccenter/wmi_standin/standin_store.h"

namespace tvn::test {
namespace {

namespace store = standin_store;

// The body of the interface methods the state library never calls.
#define NOT_CALLED \
  { return WBEM_E_NOT_SUPPORTED; }

std::atomic<long> liveObjects{0};

enum class PropertyType { kText, kBoolean };
struct PropertySchema {
  const wchar_t* name;
  PropertyType type;
};
struct ClassSchema {
  const wchar_t* name;
  std::vector<PropertySchema> properties;  // the first is the key
};

// A Security Center class: its key, the display name, its own booleans,
// then the optional company name and version number.
ClassSchema ProductSchema(const wchar_t* name, std::initializer_list<const wchar_t*> booleans) {
  using enum PropertyType;
  ClassSchema schema{name, {{L"instanceGuid", kText}, {L"displayName", kText}}};
  for (const wchar_t* boolean : booleans) schema.properties.push_back({boolean, kBoolean});
  schema.properties.push_back({L"companyName", kText});
  schema.properties.push_back({L"versionNumber", kText});
  return schema;
}

// The Security Center classes as the stand-in knows them.
const std::vector<ClassSchema>& SecurityCenterClasses() {
  static const std::vector<ClassSchema> classes{
      ProductSchema(L"FirewallProduct", {L"enabled"}),
      ProductSchema(L"AntiVirusProduct", {L"productUptoDate", L"onAccessScanningEnabled"}),
      ProductSchema(L"AntiSpywareProduct", {L"productUptoDate", L"productEnabled"}),
  };
  return classes;
}

const ClassSchema* FindClass(std::wstring_view name) {
  for (const auto& schema : SecurityCenterClasses())
    if (_wcsnicmp(schema.name, name.data(), name.size()) == 0 && schema.name[name.size()] == 0) return &schema;
  return nullptr;
}

const PropertySchema* FindProperty(const ClassSchema& schema, const wchar_t* name) {
  for (const auto& property : schema.properties)
    if (_wcsicmp(property.name, name) == 0) return &property;
  return nullptr;
}

// A BSTR carries its length before the text; a plain string passed where
// WMI wants a BSTR does not.
bool IsBstr(const wchar_t* text) { return text && SysStringLen(const_cast<BSTR>(text)) == std::wcslen(text); }

// Counts the call and answers with the failure a test set for it, if any.
HRESULT Enter(const wchar_t* method) {
  store::CountCall(method);
  return store::FailureFor(method);
}

// Reference counting shared by every stand-in object, with the live count
// a test checks to find objects the library did not release.
template <typename Interface>
class StandInObject : public Interface {
 public:
  StandInObject() { ++liveObjects; }
  virtual ~StandInObject() { --liveObjects; }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != __uuidof(Interface)) return E_NOINTERFACE;
    *object = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<ULONG> references_{1};
};

// A class object (from GetObject) or an instance (from SpawnInstance).
class ClassObject final : public StandInObject<IWbemClassObject> {
 public:
  ClassObject(const ClassSchema& schema, bool isInstance) : schema_(schema), isInstance_(isInstance) {}

  const ClassSchema& schema() const { return schema_; }
  bool isInstance() const { return isInstance_; }
  const std::vector<std::pair<std::wstring, PropertyValue>>& values() const { return values_; }

  HRESULT STDMETHODCALLTYPE SpawnInstance(LONG flags, IWbemClassObject** instance) override {
    if (HRESULT failure = Enter(L"SpawnInstance")) return failure;
    if (!instance || flags != 0) return WBEM_E_INVALID_PARAMETER;
    if (isInstance_) return WBEM_E_INVALID_OPERATION;
    *instance = new ClassObject(schema_, true);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Put(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE type) override {
    if (HRESULT failure = Enter(L"Put")) return failure;
    if (!name || flags != 0 || type != 0) return WBEM_E_INVALID_PARAMETER;
    if (!isInstance_) return WBEM_E_INVALID_OPERATION;
    const PropertySchema* property = FindProperty(schema_, name);
    if (!property) return WBEM_E_NOT_FOUND;
    if (!value || value->vt == VT_NULL) return Forget(property->name);
    if (property->type == PropertyType::kText && value->vt == VT_BSTR) {
      if (!IsBstr(value->bstrVal)) return WBEM_E_INVALID_PARAMETER;
      return Keep(property->name, std::wstring(value->bstrVal));
    }
    if (property->type == PropertyType::kBoolean && value->vt == VT_BOOL) return Keep(property->name, value->boolVal);
    return WBEM_E_TYPE_MISMATCH;
  }

  // What the state library does not call.
  HRESULT STDMETHODCALLTYPE GetQualifierSet(IWbemQualifierSet**) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE Get(LPCWSTR, LONG, VARIANT*, CIMTYPE*, LONG*) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE Delete(LPCWSTR) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE GetNames(LPCWSTR, LONG, VARIANT*, SAFEARRAY**) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE BeginEnumeration(LONG) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE Next(LONG, BSTR*, VARIANT*, CIMTYPE*, LONG*) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE EndEnumeration() override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE GetPropertyQualifierSet(LPCWSTR, IWbemQualifierSet**) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE Clone(IWbemClassObject**) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE GetObjectText(LONG, BSTR*) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE SpawnDerivedClass(LONG, IWbemClassObject**) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE CompareTo(LONG, IWbemClassObject*) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE GetPropertyOrigin(LPCWSTR, BSTR*) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE InheritsFrom(LPCWSTR) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE GetMethod(LPCWSTR, LONG, IWbemClassObject**, IWbemClassObject**) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE PutMethod(LPCWSTR, LONG, IWbemClassObject*, IWbemClassObject*) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE DeleteMethod(LPCWSTR) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE BeginMethodEnumeration(LONG) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE NextMethod(LONG, BSTR*, IWbemClassObject**, IWbemClassObject**) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE EndMethodEnumeration() override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE GetMethodQualifierSet(LPCWSTR, IWbemQualifierSet**) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE GetMethodOrigin(LPCWSTR, BSTR*) override NOT_CALLED;

 private:
  HRESULT Keep(const wchar_t* name, PropertyValue value) {
    for (auto& [kept, old] : values_)
      if (kept == name) return old = std::move(value), S_OK;
    values_.emplace_back(name, std::move(value));
    return S_OK;
  }
  HRESULT Forget(const wchar_t* name) {
    std::erase_if(values_, [&](const auto& entry) { return entry.first == name; });
    return S_OK;
  }

  const ClassSchema& schema_;
  const bool isInstance_;
  std::vector<std::pair<std::wstring, PropertyValue>> values_;
};

// Splits `Class.key="value"`; false when the path is not of that form.
bool ParseObjectPath(std::wstring_view path, std::wstring_view& className, std::wstring_view& keyName,
                     std::wstring_view& keyValue) {
  const auto dot = path.find(L'.');
  const auto equals = path.find(L"=\"");
  if (dot == std::wstring_view::npos || equals == std::wstring_view::npos || equals < dot || path.back() != L'"' ||
      path.size() < equals + 3)
    return false;
  className = path.substr(0, dot);
  keyName = path.substr(dot + 1, equals - dot - 1);
  keyValue = path.substr(equals + 2, path.size() - equals - 3);
  return keyValue.find(L'"') == std::wstring_view::npos;
}

// The library passes no flags, no context and asks for no call result.
bool PlainCall(LONG flags, IWbemContext* context, IWbemCallResult** callResult) {
  return flags == 0 && context == nullptr && callResult == nullptr;
}

class Services final : public StandInObject<IWbemServices> {
 public:
  explicit Services(std::wstring nameSpace) : nameSpace_(std::move(nameSpace)) {}

  HRESULT STDMETHODCALLTYPE GetObject(const BSTR path, LONG flags, IWbemContext* context, IWbemClassObject** object,
                                      IWbemCallResult** callResult) override {
    if (HRESULT failure = Enter(L"GetObject")) return failure;
    if (!IsBstr(path) || !object || !PlainCall(flags, context, callResult)) return WBEM_E_INVALID_PARAMETER;
    const ClassSchema* schema = FindClass(path);
    if (!schema) return WBEM_E_NOT_FOUND;
    *object = new ClassObject(*schema, false);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE PutInstance(IWbemClassObject* object, LONG flags, IWbemContext* context,
                                        IWbemCallResult** callResult) override {
    if (HRESULT failure = Enter(L"PutInstance")) return failure;
    if (!object || !PlainCall(flags, context, callResult)) return WBEM_E_INVALID_PARAMETER;
    // Only instances this stand-in spawned come back here.
    auto* instance = static_cast<ClassObject*>(object);
    if (!instance->isInstance()) return WBEM_E_INVALID_OPERATION;
    StoredInstance stored;
    for (const auto& [name, value] : instance->values()) {
      stored.properties[name] = value;
      stored.putOrder.push_back(name);
    }
    const auto key = stored.properties.find(instance->schema().properties.front().name);
    if (key == stored.properties.end()) return WBEM_E_ILLEGAL_NULL;
    store::SaveInstance(nameSpace_, instance->schema().name, std::get<std::wstring>(key->second), stored);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE DeleteInstance(const BSTR path, LONG flags, IWbemContext* context,
                                           IWbemCallResult** callResult) override {
    if (HRESULT failure = Enter(L"DeleteInstance")) return failure;
    if (!IsBstr(path) || !PlainCall(flags, context, callResult)) return WBEM_E_INVALID_PARAMETER;
    std::wstring_view className, keyName, keyValue;
    if (!ParseObjectPath(path, className, keyName, keyValue)) return WBEM_E_INVALID_OBJECT_PATH;
    const ClassSchema* schema = FindClass(className);
    if (!schema) return WBEM_E_INVALID_CLASS;
    if (keyName != schema->properties.front().name) return WBEM_E_INVALID_OBJECT_PATH;
    if (!store::DeleteInstance(nameSpace_, schema->name, keyValue)) return WBEM_E_NOT_FOUND;
    return S_OK;
  }

  // What the state library does not call.
  HRESULT STDMETHODCALLTYPE OpenNamespace(const BSTR, LONG, IWbemContext*, IWbemServices**,
                                          IWbemCallResult**) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE CancelAsyncCall(IWbemObjectSink*) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE QueryObjectSink(LONG, IWbemObjectSink**) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE GetObjectAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE PutClass(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE PutClassAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE DeleteClass(const BSTR, LONG, IWbemContext*, IWbemCallResult**) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE DeleteClassAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE CreateClassEnum(const BSTR, LONG, IWbemContext*,
                                            IEnumWbemClassObject**) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE CreateClassEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE PutInstanceAsync(IWbemClassObject*, LONG, IWbemContext*,
                                             IWbemObjectSink*) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE DeleteInstanceAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE CreateInstanceEnum(const BSTR, LONG, IWbemContext*,
                                               IEnumWbemClassObject**) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE CreateInstanceEnumAsync(const BSTR, LONG, IWbemContext*,
                                                    IWbemObjectSink*) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE ExecQuery(const BSTR, const BSTR, LONG, IWbemContext*,
                                      IEnumWbemClassObject**) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE ExecQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*,
                                           IWbemObjectSink*) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE ExecNotificationQuery(const BSTR, const BSTR, LONG, IWbemContext*,
                                                  IEnumWbemClassObject**) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE ExecNotificationQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*,
                                                       IWbemObjectSink*) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE ExecMethod(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*,
                                       IWbemClassObject**, IWbemCallResult**) override NOT_CALLED;
  HRESULT STDMETHODCALLTYPE ExecMethodAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*,
                                            IWbemObjectSink*) override NOT_CALLED;

 private:
  const std::wstring nameSpace_;
};

// "\\.\root\X" and "root\X" name the same local namespace.
std::wstring_view LocalNamespace(std::wstring_view path) {
  constexpr std::wstring_view kLocalMachine = L"\\\\.\\";
  if (path.substr(0, kLocalMachine.size()) == kLocalMachine) path.remove_prefix(kLocalMachine.size());
  return path;
}

class Locator final : public StandInObject<IWbemLocator> {
 public:
  HRESULT STDMETHODCALLTYPE ConnectServer(const BSTR nameSpace, const BSTR user, const BSTR password, const BSTR locale,
                                          LONG securityFlags, const BSTR authority, IWbemContext* context,
                                          IWbemServices** services) override {
    if (HRESULT failure = Enter(L"ConnectServer")) return failure;
    if (!IsBstr(nameSpace) || !services || user || password || locale || securityFlags || authority || context)
      return WBEM_E_INVALID_PARAMETER;
    const std::wstring_view local = LocalNamespace(nameSpace);
    if (!store::HasNamespace(local)) return WBEM_E_INVALID_NAMESPACE;
    *services = new Services(std::wstring(local));
    return S_OK;
  }
};

class LocatorFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = iid == IID_IUnknown || iid == IID_IClassFactory ? this : nullptr;
    return *object ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (HRESULT failure = Enter(L"CreateInstance")) return failure;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* locator = new Locator;
    const HRESULT status = locator->QueryInterface(iid, object);
    locator->Release();
    return status;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

#undef NOT_CALLED

}  // namespace

IClassFactory* StandInLocatorFactory() {
  static LocatorFactory factory;
  return &factory;
}

long StandInLiveObjects() { return liveObjects; }

ProcessWideStandIn::ProcessWideStandIn() {
  CoRegisterClassObject(CLSID_WbemLocator, StandInLocatorFactory(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
}

void ProcessWideStandIn::Revoke() {
  if (cookie_) CoRevokeClassObject(cookie_);
  cookie_ = 0;
}

}  // namespace tvn::test
