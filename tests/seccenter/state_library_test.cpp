// TVN_STATE.DLL as its callers load it, against the stand-in WMI service
// registered for this process; the Windows-version rule through the
// library's core, and plain Wine's own WMI for a namespace that is missing.
#include <gtest/gtest.h>
#include <wbemcli.h>

#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "seccenter/state_library.h"
#include "seccenter/tvn_state.h"
#include "tests/seccenter/import_hook.h"
#include "tests/seccenter/test_paths.h"
#include "tests/seccenter/wmi_standin/standin_store.h"
#include "tests/seccenter/wmi_standin/wmi_standin.h"

// Last: it retires the unbounded string functions other headers declare.
#include <strsafe.h>

namespace tvn::test {
namespace {

namespace store = standin_store;
using seccenter::WindowsVersion;

// WMI statuses are declared unsigned; the library returns them as HRESULTs.
constexpr HRESULT Wbem(WBEMSTATUS status) { return static_cast<HRESULT>(status); }

constexpr wchar_t kSecurityCenter[] = L"root\\SecurityCenter";
GUID kGuid = {0x1A2B3C4D, 0x5E6F, 0x7081, {0x92, 0xA3, 0xB4, 0xC5, 0xD6, 0xE7, 0xF8, 0x09}};
constexpr wchar_t kGuidText[] = L"{1A2B3C4D-5E6F-7081-92A3-B4C5D6E7F809}";

// The six exports, resolved by name the way the firewall and tvn_unreg do.
struct StateLibrary {
  decltype(&writefwstatus) writefw;
  decltype(&writeavstatus) writeav;
  decltype(&writeaswstatus) writeasw;
  decltype(&uninstallfw) uninstallfw;
  decltype(&uninstallav) uninstallav;
  decltype(&uninstallasw) uninstallasw;
};

template <typename Entry>
void Resolve(HMODULE module, const char* name, Entry& entry) {
  entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  ASSERT_NE(entry, nullptr) << name;
}

// The BSTRs the library has allocated and not yet freed, watched through
// its imports of SysAllocString, SysFreeString and VariantClear.
class BstrLedger {
 public:
  explicit BstrLedger(HMODULE library)
      : allocate_(library, "OLEAUT32.dll", "SysAllocString", reinterpret_cast<void*>(&Allocate)),
        free_(library, "OLEAUT32.dll", "SysFreeString", reinterpret_cast<void*>(&Free)),
        clear_(library, "OLEAUT32.dll", "VariantClear", reinterpret_cast<void*>(&Clear)) {
    std::lock_guard lock(mutex_);
    outstanding_.clear();
    allocated_ = 0;
  }
  // VariantClear is one way among others to free a BSTR; it may not be imported.
  bool watching() const { return allocate_.found() && free_.found(); }
  static size_t Outstanding() {
    std::lock_guard lock(mutex_);
    return outstanding_.size();
  }
  static size_t Allocated() {
    std::lock_guard lock(mutex_);
    return allocated_;
  }

 private:
  static BSTR WINAPI Allocate(const OLECHAR* text) {
    BSTR bstr = SysAllocString(text);
    std::lock_guard lock(mutex_);
    if (bstr) outstanding_.insert(bstr), ++allocated_;
    return bstr;
  }
  static void WINAPI Free(BSTR bstr) {
    Forget(bstr);
    SysFreeString(bstr);
  }
  static HRESULT WINAPI Clear(VARIANTARG* value) {
    if (value && value->vt == VT_BSTR) Forget(value->bstrVal);
    return VariantClear(value);
  }
  static void Forget(BSTR bstr) {
    std::lock_guard lock(mutex_);
    outstanding_.erase(bstr);
  }

  static inline std::mutex mutex_;
  static inline std::set<BSTR> outstanding_;
  static inline size_t allocated_ = 0;
  ImportHook allocate_, free_, clear_;
};

std::optional<StoredInstance> Stored(const wchar_t* className) {
  return store::LoadInstance(kSecurityCenter, className, kGuidText);
}

class StateLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store::UseStore(L"state_library_test");
    // A single-threaded apartment: no multithreaded one exists in this
    // process, so a thread without COM really has none.
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    store::Reset();
    store::AddNamespace(kSecurityCenter);
    standIn_.emplace();
    liveAtStart_ = StandInLiveObjects();
    module_ = LoadLibraryW(DeliverablePath(L"TVN_STATE.DLL").c_str());
    ASSERT_NE(module_, nullptr);
    Resolve(module_, "writefwstatus", lib_.writefw);
    Resolve(module_, "writeavstatus", lib_.writeav);
    Resolve(module_, "writeaswstatus", lib_.writeasw);
    Resolve(module_, "uninstallfw", lib_.uninstallfw);
    Resolve(module_, "uninstallav", lib_.uninstallav);
    Resolve(module_, "uninstallasw", lib_.uninstallasw);
    bstrs_.emplace(module_);
    ASSERT_TRUE(bstrs_->watching());
  }

  void TearDown() override {
    EXPECT_EQ(StandInLiveObjects(), liveAtStart_) << "the library left WMI objects unreleased";
    EXPECT_EQ(BstrLedger::Outstanding(), 0u) << "the library left BSTRs unfreed";
    bstrs_.reset();
    standIn_.reset();
    if (module_) FreeLibrary(module_);
    CoUninitialize();
  }

  HMODULE module_ = nullptr;
  long liveAtStart_ = 0;
  StateLibrary lib_{};
  std::optional<ProcessWideStandIn> standIn_;
  std::optional<BstrLedger> bstrs_;
};

TEST_F(StateLibraryTest, FullFirewallWriteSetsEveryPropertyInOrder) {
  EXPECT_EQ(lib_.writefw(&kGuid, L"Zelbar", L"7.0", L"Torvane Pare-feu \u00E9", 1), 0);
  // The namespace, the class name and the four text values.
  EXPECT_EQ(BstrLedger::Allocated(), 6u);

  const auto instance = Stored(L"FirewallProduct");
  ASSERT_TRUE(instance);
  const std::vector<std::wstring> order{L"instanceGuid", L"displayName", L"enabled", L"companyName", L"versionNumber"};
  EXPECT_EQ(instance->putOrder, order);
  EXPECT_EQ(instance->properties.at(L"instanceGuid"), PropertyValue(std::wstring(kGuidText)));
  EXPECT_EQ(instance->properties.at(L"displayName"), PropertyValue(std::wstring(L"Torvane Pare-feu \u00E9")));
  EXPECT_EQ(instance->properties.at(L"enabled"), PropertyValue(VARIANT_TRUE));
  EXPECT_EQ(instance->properties.at(L"companyName"), PropertyValue(std::wstring(L"Zelbar")));
  EXPECT_EQ(instance->properties.at(L"versionNumber"), PropertyValue(std::wstring(L"7.0")));
}

TEST_F(StateLibraryTest, WriteWithoutCompanyAndVersionSetsOnlyGuidNameAndBooleans) {
  struct Case {
    const wchar_t* className;
    std::function<long()> write;
    std::vector<std::wstring> booleans;  // set to true, then false
  };
  const Case cases[] = {
      {L"FirewallProduct", [&] { return lib_.writefw(&kGuid, nullptr, nullptr, L"Produit", 1); }, {L"enabled"}},
      {L"AntiVirusProduct",
       [&] { return lib_.writeav(&kGuid, nullptr, nullptr, L"Produit", 1, 0); },
       {L"productUptoDate", L"onAccessScanningEnabled"}},
      {L"AntiSpywareProduct",
       [&] { return lib_.writeasw(&kGuid, nullptr, nullptr, L"Produit", 1, 0); },
       {L"productUptoDate", L"productEnabled"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.className, c.className + wcslen(c.className)));
    EXPECT_EQ(c.write(), 0);
    const auto instance = Stored(c.className);
    ASSERT_TRUE(instance);
    std::vector<std::wstring> order{L"instanceGuid", L"displayName"};
    order.insert(order.end(), c.booleans.begin(), c.booleans.end());
    EXPECT_EQ(instance->putOrder, order);
    EXPECT_EQ(instance->properties.size(), order.size());
    EXPECT_EQ(instance->properties.at(L"displayName"), PropertyValue(std::wstring(L"Produit")));
    EXPECT_EQ(instance->properties.at(c.booleans[0]), PropertyValue(VARIANT_TRUE));
    if (c.booleans.size() > 1) {
      EXPECT_EQ(instance->properties.at(c.booleans[1]), PropertyValue(VARIANT_FALSE));
    }
  }
}

TEST_F(StateLibraryTest, SecondWriteWithOneGuidReplacesTheInstance) {
  ASSERT_EQ(lib_.writefw(&kGuid, L"Zelbar", L"7.0", L"Torvane Firewall", 1), 0);
  ASSERT_EQ(lib_.writefw(&kGuid, nullptr, nullptr, L"Autre nom", 0), 0);

  EXPECT_EQ(store::InstanceKeys(kSecurityCenter, L"FirewallProduct"), std::vector<std::wstring>{kGuidText});
  const auto instance = Stored(L"FirewallProduct");
  ASSERT_TRUE(instance);
  EXPECT_EQ(instance->properties.at(L"displayName"), PropertyValue(std::wstring(L"Autre nom")));
  EXPECT_EQ(instance->properties.at(L"enabled"), PropertyValue(VARIANT_FALSE));
  EXPECT_FALSE(instance->properties.contains(L"companyName"));
  EXPECT_FALSE(instance->properties.contains(L"versionNumber"));
}

TEST_F(StateLibraryTest, AnyNonZeroBooleanIsStoredAsVariantTrue) {
  const struct {
    int flag;
    VARIANT_BOOL stored;
  } cases[] = {{1, VARIANT_TRUE}, {-1, VARIANT_TRUE}, {42, VARIANT_TRUE}, {0, VARIANT_FALSE}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.flag);
    ASSERT_EQ(lib_.writeav(&kGuid, nullptr, nullptr, L"Produit", c.flag, c.flag), 0);
    const auto instance = Stored(L"AntiVirusProduct");
    ASSERT_TRUE(instance);
    EXPECT_EQ(instance->properties.at(L"productUptoDate"), PropertyValue(c.stored));
    EXPECT_EQ(instance->properties.at(L"onAccessScanningEnabled"), PropertyValue(c.stored));
  }
}

TEST_F(StateLibraryTest, EachDeleteRemovesOnlyItsOwnClassInstance) {
  ASSERT_EQ(lib_.writefw(&kGuid, nullptr, nullptr, L"Produit", 1), 0);
  ASSERT_EQ(lib_.writeav(&kGuid, nullptr, nullptr, L"Produit", 1, 1), 0);
  ASSERT_EQ(lib_.writeasw(&kGuid, nullptr, nullptr, L"Produit", 1, 1), 0);

  EXPECT_EQ(lib_.uninstallav(&kGuid), 0);
  EXPECT_FALSE(Stored(L"AntiVirusProduct"));
  EXPECT_TRUE(Stored(L"FirewallProduct"));
  EXPECT_TRUE(Stored(L"AntiSpywareProduct"));

  EXPECT_EQ(lib_.uninstallfw(&kGuid), 0);
  EXPECT_EQ(lib_.uninstallasw(&kGuid), 0);
  EXPECT_FALSE(Stored(L"FirewallProduct"));
  EXPECT_FALSE(Stored(L"AntiSpywareProduct"));
}

TEST_F(StateLibraryTest, DeleteOfMissingInstanceReturnsTheServiceStatus) {
  EXPECT_EQ(lib_.uninstallfw(&kGuid), Wbem(WBEM_E_NOT_FOUND));
  EXPECT_EQ(store::CallCount(L"DeleteInstance"), 1u);
}

TEST_F(StateLibraryTest, NullArgumentsAreRejectedBeforeAnyComCall) {
  const std::function<long()> calls[] = {
      [&] { return lib_.writefw(nullptr, L"Zelbar", L"7.0", L"Produit", 1); },
      [&] { return lib_.writeav(nullptr, L"Zelbar", L"7.0", L"Produit", 1, 1); },
      [&] { return lib_.writeasw(nullptr, L"Zelbar", L"7.0", L"Produit", 1, 1); },
      [&] { return lib_.uninstallfw(nullptr); },
      [&] { return lib_.uninstallav(nullptr); },
      [&] { return lib_.uninstallasw(nullptr); },
      // The display name is required too.
      [&] { return lib_.writefw(&kGuid, L"Zelbar", L"7.0", nullptr, 1); },
      [&] { return lib_.writeav(&kGuid, L"Zelbar", L"7.0", nullptr, 1, 1); },
      [&] { return lib_.writeasw(&kGuid, L"Zelbar", L"7.0", nullptr, 1, 1); },
  };
  for (const auto& call : calls) EXPECT_EQ(call(), E_INVALIDARG);
  EXPECT_EQ(store::TotalCalls(), 0u);
}

// Whichever step fails, its status comes back unchanged, nothing is stored
// and every object obtained so far is released (checked after each test).
TEST_F(StateLibraryTest, AFailingStepReturnsItsStatusUnchanged) {
  const struct {
    const wchar_t* method;
    HRESULT status;
    bool write;
  } cases[] = {
      {L"CreateInstance", E_ACCESSDENIED, true},
      {L"ConnectServer", Wbem(WBEM_E_ACCESS_DENIED), true},
      {L"GetObject", Wbem(WBEM_E_INVALID_CLASS), true},
      {L"SpawnInstance", Wbem(WBEM_E_OUT_OF_MEMORY), true},
      {L"PutInstance", Wbem(WBEM_E_PROVIDER_FAILURE), true},
      {L"CreateInstance", E_ACCESSDENIED, false},
      {L"ConnectServer", Wbem(WBEM_E_TRANSPORT_FAILURE), false},
      {L"DeleteInstance", Wbem(WBEM_E_ACCESS_DENIED), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.method, c.method + wcslen(c.method))
                                    << (c.write ? " write" : " delete"));
    store::Reset();
    store::AddNamespace(kSecurityCenter);
    if (!c.write) {
      ASSERT_EQ(lib_.writefw(&kGuid, nullptr, nullptr, L"Produit", 1), 0);
    }
    store::SetFailure(c.method, c.status);

    const long result = c.write ? lib_.writefw(&kGuid, L"Zelbar", L"7.0", L"Produit", 1) : lib_.uninstallfw(&kGuid);

    EXPECT_EQ(result, c.status);
    EXPECT_EQ(Stored(L"FirewallProduct").has_value(), !c.write);
    EXPECT_EQ(StandInLiveObjects(), liveAtStart_);
  }
}

TEST_F(StateLibraryTest, MissingNamespaceReturnsTheConnectionStatus) {
  store::Reset();
  EXPECT_EQ(lib_.writefw(&kGuid, nullptr, nullptr, L"Produit", 1), Wbem(WBEM_E_INVALID_NAMESPACE));
  EXPECT_EQ(lib_.uninstallfw(&kGuid), Wbem(WBEM_E_INVALID_NAMESPACE));
}

TEST_F(StateLibraryTest, ThreadWithoutComGetsAFailureStatus) {
  long written = 0, deleted = 0;
  std::thread([&] {
    written = lib_.writefw(&kGuid, L"Zelbar", L"7.0", L"Produit", 1);
    deleted = lib_.uninstallfw(&kGuid);
  }).join();
  EXPECT_EQ(written, CO_E_NOTINITIALIZED);
  EXPECT_EQ(deleted, CO_E_NOTINITIALIZED);
  EXPECT_EQ(store::TotalCalls(), 0u);
}

// What Wine's own WMI answers for the Security Center namespace.
HRESULT WineConnectStatus() {
  IWbemLocator* locator = nullptr;
  HRESULT status = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                    IID_IWbemLocator, reinterpret_cast<void**>(&locator));
  if (FAILED(status)) return status;
  BSTR name = SysAllocString(L"\\\\.\\root\\SecurityCenter");
  IWbemServices* services = nullptr;
  status = locator->ConnectServer(name, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services);
  if (services) services->Release();
  SysFreeString(name);
  locator->Release();
  return status;
}

TEST_F(StateLibraryTest, PlainWineReturnsTheStatusOfItsMissingNamespace) {
  standIn_.reset();
  const HRESULT wine = WineConnectStatus();
  ASSERT_TRUE(FAILED(wine)) << std::hex << wine;

  EXPECT_EQ(lib_.writefw(&kGuid, L"Zelbar", L"7.0", L"Torvane Firewall", 1), wine);
  EXPECT_EQ(lib_.uninstallfw(&kGuid), wine);
}

TEST(SecurityCenterAvailability, FromXpServicePack2AndFromVista) {
  const struct {
    const char* windows;
    WindowsVersion version;
    bool available;
  } cases[] = {
      {"NT 4.0", {4, 0, 6}, false}, {"2000 SP4", {5, 0, 4}, false}, {"XP SP1", {5, 1, 1}, false},
      {"XP SP2", {5, 1, 2}, true},  {"XP SP3", {5, 1, 3}, true},    {"Server 2003 SP2", {5, 2, 2}, false},
      {"Vista", {6, 0, 0}, true},   {"10", {10, 0, 0}, true},
  };
  for (const auto& c : cases) EXPECT_EQ(seccenter::HasSecurityCenter(c.version), c.available) << c.windows;
}

TEST_F(StateLibraryTest, OldWindowsWritesReturnOneUntouchedWhileDeletesStillTry) {
  const seccenter::ProductState state{&kGuid, L"Zelbar", L"7.0", L"Produit", {1, 1}};
  for (const WindowsVersion old : {WindowsVersion{5, 0, 4}, WindowsVersion{5, 1, 1}, WindowsVersion{5, 2, 2}}) {
    EXPECT_EQ(seccenter::WriteProductState(seccenter::kFirewallProduct, state, old), kNoSecurityCenter);
    EXPECT_EQ(seccenter::WriteProductState(seccenter::kAntiVirusProduct, state, old), kNoSecurityCenter);
  }
  EXPECT_EQ(store::TotalCalls(), 0u);
  EXPECT_EQ(seccenter::DeleteProductState(seccenter::kFirewallProduct, &kGuid), Wbem(WBEM_E_NOT_FOUND));
  EXPECT_EQ(store::CallCount(L"DeleteInstance"), 1u);

  for (const WindowsVersion recent : {WindowsVersion{5, 1, 2}, WindowsVersion{6, 0, 0}}) {
    store::Reset();
    store::AddNamespace(kSecurityCenter);
    EXPECT_EQ(seccenter::WriteProductState(seccenter::kFirewallProduct, state, recent), 0);
    EXPECT_TRUE(Stored(L"FirewallProduct"));
  }
}

// The object path is built in a bounded buffer: a path of 227 characters
// fits with its terminator, one of 228 is refused before DeleteInstance.
TEST_F(StateLibraryTest, DeletePathThatDoesNotFitItsBufferIsNotAttempted) {
  const std::wstring keyPart = L".instanceGuid=\"";
  const size_t guidAndQuote = wcslen(kGuidText) + 1;
  for (const size_t pathLength : {seccenter::kObjectPathCapacity - 1, seccenter::kObjectPathCapacity}) {
    SCOPED_TRACE(pathLength);
    store::Reset();
    store::AddNamespace(kSecurityCenter);
    const std::wstring prefix = std::wstring(pathLength - guidAndQuote - keyPart.size(), L'F') + keyPart;
    const seccenter::ProductClass longClass{L"Long", prefix.c_str(), {L"enabled", nullptr}};

    const long result = seccenter::DeleteProductState(longClass, &kGuid);

    const bool fits = pathLength < seccenter::kObjectPathCapacity;
    EXPECT_EQ(result, fits ? Wbem(WBEM_E_INVALID_CLASS) : STRSAFE_E_INSUFFICIENT_BUFFER);
    EXPECT_EQ(store::CallCount(L"DeleteInstance"), fits ? 1u : 0u);
  }
}

}  // namespace
}  // namespace tvn::test
