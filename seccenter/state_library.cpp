#include "seccenter/state_library.h"

#include "seccenter/tvn_state.h"

#include <oleauto.h>
#include <wbemcli.h>

// Last: it retires the unbounded string functions other headers declare.
#include <strsafe.h>

namespace tvn::seccenter {
namespace {

// Owns one COM interface pointer and releases it when the scope ends, so
// that every path out of a function releases what it obtained.
template <typename Interface>
class ComRef {
 public:
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() {
    if (pointer_) pointer_->Release();
  }
  Interface** out() { return &pointer_; }
  void** out_void() { return reinterpret_cast<void**>(&pointer_); }
  Interface* get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }

 private:
  Interface* pointer_ = nullptr;
};

// A BSTR copy of a caller's text, freed when the scope ends.
class BstrCopy {
 public:
  explicit BstrCopy(const wchar_t* text) : bstr_(SysAllocString(text)) {}
  BstrCopy(const BstrCopy&) = delete;
  BstrCopy& operator=(const BstrCopy&) = delete;
  ~BstrCopy() { SysFreeString(bstr_); }
  bool allocated() const { return bstr_ != nullptr; }
  BSTR get() const { return bstr_; }

 private:
  BSTR bstr_;
};

constexpr wchar_t kSecurityCenterNamespace[] = L"\\\\.\\root\\SecurityCenter";
// StringFromGUID2 writes the 38-character registry form into this buffer.
constexpr int kGuidTextCapacity = 128;

// A service that reports success must also hand out its object; one that
// does not is treated as a failed call rather than dereferenced.
HRESULT RequireObject(HRESULT status, const void* object) {
  return SUCCEEDED(status) && object == nullptr ? E_POINTER : status;
}

HRESULT ConnectSecurityCenter(ComRef<IWbemServices>& services) {
  ComRef<IWbemLocator> locator;
  HRESULT status = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                    IID_IWbemLocator, locator.out_void());
  status = RequireObject(status, locator.get());
  if (FAILED(status)) return status;
  BstrCopy namespaceName(kSecurityCenterNamespace);
  if (!namespaceName.allocated()) return E_OUTOFMEMORY;
  status = locator->ConnectServer(namespaceName.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, services.out());
  return RequireObject(status, services.get());
}

void PutText(IWbemClassObject* instance, const wchar_t* name, const wchar_t* text) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocString(text);
  // Without its copy the property is left unset rather than set to null.
  if (value.bstrVal) instance->Put(name, 0, &value, 0);
  VariantClear(&value);
}

void PutBoolean(IWbemClassObject* instance, const wchar_t* name, int flag) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BOOL;
  value.boolVal = flag != 0 ? VARIANT_TRUE : VARIANT_FALSE;
  instance->Put(name, 0, &value, 0);
}

// Sets the properties in the order the Security Center classes list them;
// the individual statuses do not matter, PutInstance judges the result.
void PutProductProperties(IWbemClassObject* instance, const ProductClass& product, const ProductState& state) {
  wchar_t guidText[kGuidTextCapacity];
  StringFromGUID2(*state.instanceGuid, guidText, kGuidTextCapacity);
  PutText(instance, L"instanceGuid", guidText);
  PutText(instance, L"displayName", state.displayName);
  for (int i = 0; i < 2 && product.booleanNames[i]; ++i)
    PutBoolean(instance, product.booleanNames[i], state.booleans[i]);
  if (state.companyName) PutText(instance, L"companyName", state.companyName);
  if (state.versionNumber) PutText(instance, L"versionNumber", state.versionNumber);
}

HRESULT BuildObjectPath(const ProductClass& product, const GUID& instanceGuid, wchar_t* path, std::size_t capacity) {
  wchar_t guidText[kGuidTextCapacity];
  StringFromGUID2(instanceGuid, guidText, kGuidTextCapacity);
  HRESULT status = StringCchCopyW(path, capacity, product.pathPrefix);
  if (SUCCEEDED(status)) status = StringCchCatW(path, capacity, guidText);
  if (SUCCEEDED(status)) status = StringCchCatW(path, capacity, L"\"");
  return status;
}

}  // namespace

WindowsVersion CurrentWindowsVersion() {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return {};
  return {info.dwMajorVersion, info.dwMinorVersion, info.wServicePackMajor};
}

bool HasSecurityCenter(const WindowsVersion& version) {
  if (version.major >= 6) return true;
  return version.major == 5 && version.minor == 1 && version.servicePackMajor >= 2;
}

long WriteProductState(const ProductClass& product, const ProductState& state, const WindowsVersion& version) {
  if (!state.instanceGuid || !state.displayName) return E_INVALIDARG;
  if (!HasSecurityCenter(version)) return kNoSecurityCenter;

  ComRef<IWbemServices> services;
  HRESULT status = ConnectSecurityCenter(services);
  if (FAILED(status)) return status;

  ComRef<IWbemClassObject> productClass;
  {
    BstrCopy className(product.className);
    if (!className.allocated()) return E_OUTOFMEMORY;
    status = services->GetObject(className.get(), 0, nullptr, productClass.out(), nullptr);
  }
  status = RequireObject(status, productClass.get());
  if (FAILED(status)) return status;

  ComRef<IWbemClassObject> instance;
  status = productClass->SpawnInstance(0, instance.out());
  status = RequireObject(status, instance.get());
  if (FAILED(status)) return status;

  PutProductProperties(instance.get(), product, state);
  return services->PutInstance(instance.get(), 0, nullptr, nullptr);
}

long DeleteProductState(const ProductClass& product, const GUID* instanceGuid) {
  if (!instanceGuid) return E_INVALIDARG;

  ComRef<IWbemServices> services;
  HRESULT status = ConnectSecurityCenter(services);
  if (FAILED(status)) return status;

  wchar_t path[kObjectPathCapacity];
  status = BuildObjectPath(product, *instanceGuid, path, kObjectPathCapacity);
  if (FAILED(status)) return status;

  BstrCopy objectPath(path);
  if (!objectPath.allocated()) return E_OUTOFMEMORY;
  return services->DeleteInstance(objectPath.get(), 0, nullptr, nullptr);
}

}  // namespace tvn::seccenter
