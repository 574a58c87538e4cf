// The binding as the firewall and tvn_unreg use it: how it finds the
// library, what a report and an unregistration pass, and what happens
// without the library.
#include <gtest/gtest.h>

#include <optional>

#include "seccenter/binding/state_library_binding.h"
#include "tests/seccenter/fake_state_library.h"
#include "tests/seccenter/test_paths.h"
#include "tests/seccenter/wmi_standin/standin_store.h"
#include "tests/seccenter/wmi_standin/wmi_standin.h"

namespace tvn::test {
namespace {

namespace store = standin_store;
namespace fake = fake_state_library;

constexpr wchar_t kSecurityCenter[] = L"root\\SecurityCenter";

bool LibraryLoaded() { return GetModuleHandleW(L"TVN_STATE.DLL") != nullptr; }

TEST(ReportFirewallState, PassesTheProductValuesAndTheState) {
  const auto binding = fake::Binding();

  ReportFirewallState(binding, true);
  ReportFirewallState(binding, false);

  ASSERT_EQ(fake::reports.size(), 2u);
  for (const auto& report : fake::reports) {
    EXPECT_EQ(report.instanceGuid, ProductInstanceGuid);
    EXPECT_EQ(report.companyName, L"Zelbar");
    EXPECT_EQ(report.versionNumber, L"7.0");
    EXPECT_EQ(report.displayName, L"Torvane Firewall");
  }
  EXPECT_EQ(fake::reports[0].enabled, 1);
  EXPECT_EQ(fake::reports[1].enabled, 0);
  EXPECT_TRUE(fake::uninstalls.empty());
}

TEST(UnregisterFirewall, DeletesTheProductInstance) {
  const auto binding = fake::Binding();
  UnregisterFirewall(binding);
  EXPECT_EQ(fake::uninstalls, std::vector<std::wstring>{ProductInstanceGuid});
  EXPECT_TRUE(fake::reports.empty());
}

// Start and Stop against the real library, with the stand-in WMI service in
// place of Wine's for this process.
class StateLibraryBindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store::UseStore(L"state_binding_test");
    ASSERT_FALSE(LibraryLoaded());
    store::Reset();
    store::AddNamespace(kSecurityCenter);
  }
  void TearDown() override {
    SetDllDirectoryW(nullptr);
    EXPECT_FALSE(LibraryLoaded());
  }

  // Starts the binding, then puts the stand-in in place (COM is needed).
  void Start() {
    binding_.Start();
    standIn_.emplace();
  }
  void Stop() {
    standIn_.reset();
    binding_.Stop();
  }

  StateLibraryBinding binding_;
  std::optional<ProcessWideStandIn> standIn_;
};

TEST_F(StateLibraryBindingTest, LoadsTheLibraryBesideTheProgramAndReleasesItAtStop) {
  // The library's folder joins the search order as the program's own would.
  SetDllDirectoryW(DeliverablePath(L"").c_str());
  Start();
  ASSERT_TRUE(LibraryLoaded());
  ASSERT_NE(binding_.writefwstatus(), nullptr);
  ASSERT_NE(binding_.uninstallfw(), nullptr);

  ReportFirewallState(binding_, true);
  const auto instance = store::LoadInstance(kSecurityCenter, L"FirewallProduct", ProductInstanceGuid);
  ASSERT_TRUE(instance);
  EXPECT_EQ(instance->properties.at(L"displayName"), PropertyValue(std::wstring(L"Torvane Firewall")));
  EXPECT_EQ(instance->properties.at(L"companyName"), PropertyValue(std::wstring(L"Zelbar")));
  EXPECT_EQ(instance->properties.at(L"versionNumber"), PropertyValue(std::wstring(L"7.0")));
  EXPECT_EQ(instance->properties.at(L"enabled"), PropertyValue(VARIANT_TRUE));

  UnregisterFirewall(binding_);
  EXPECT_FALSE(store::LoadInstance(kSecurityCenter, L"FirewallProduct", ProductInstanceGuid));

  Stop();
  EXPECT_EQ(binding_.writefwstatus(), nullptr);
}

TEST_F(StateLibraryBindingTest, UsesAnAlreadyLoadedLibraryAndLeavesItLoaded) {
  HMODULE loaded = LoadLibraryW(DeliverablePath(L"TVN_STATE.DLL").c_str());
  ASSERT_NE(loaded, nullptr);
  Start();
  EXPECT_EQ(reinterpret_cast<void*>(binding_.writefwstatus()),
            reinterpret_cast<void*>(GetProcAddress(loaded, "writefwstatus")));
  EXPECT_EQ(reinterpret_cast<void*>(binding_.uninstallfw()),
            reinterpret_cast<void*>(GetProcAddress(loaded, "uninstallfw")));
  Stop();
  EXPECT_TRUE(LibraryLoaded());
  FreeLibrary(loaded);
}

TEST_F(StateLibraryBindingTest, WithoutTheLibraryReportsAndDeletesDoNothing) {
  Start();
  EXPECT_FALSE(LibraryLoaded());
  EXPECT_EQ(binding_.writefwstatus(), nullptr);
  EXPECT_EQ(binding_.uninstallfw(), nullptr);

  ReportFirewallState(binding_, true);
  UnregisterFirewall(binding_);

  EXPECT_EQ(store::TotalCalls(), 0u);
  Stop();
}

}  // namespace
}  // namespace tvn::test
