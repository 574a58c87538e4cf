#include "seccenter/binding/state_library_binding.h"

#include <objbase.h>

#include <utility>

namespace tvn {
namespace {

constexpr char kLibraryFileName[] = "TVN_STATE.DLL";

template <typename Entry>
Entry ResolveEntry(HMODULE module, const char* exportName) {
  return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, exportName)));
}

}  // namespace

StateLibraryBinding StateLibraryBinding::WithEntries(Entries entries) {
  StateLibraryBinding binding;
  binding.entries_ = entries;
  return binding;
}

StateLibraryBinding::StateLibraryBinding(StateLibraryBinding&& other) noexcept
    : entries_(std::exchange(other.entries_, {})),
      loadedModule_(std::exchange(other.loadedModule_, nullptr)),
      comStarted_(std::exchange(other.comStarted_, false)) {}

void StateLibraryBinding::Start() {
  // Only an initialisation that took place is undone at Stop: undoing a
  // refused one would end COM for whoever set this thread up before.
  comStarted_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  HMODULE module = GetModuleHandleA(kLibraryFileName);
  if (!module) module = loadedModule_ = LoadLibraryA(kLibraryFileName);
  if (!module) return;
  entries_.writefwstatus = ResolveEntry<WriteFwStatusEntry>(module, "writefwstatus");
  entries_.uninstallfw = ResolveEntry<UninstallFwEntry>(module, "uninstallfw");
}

void StateLibraryBinding::Stop() {
  entries_ = {};
  if (loadedModule_) FreeLibrary(std::exchange(loadedModule_, nullptr));
  if (std::exchange(comStarted_, false)) CoUninitialize();
}

GUID ProductInstanceGuidValue() {
  GUID guid{};
  IIDFromString(ProductInstanceGuid, &guid);
  return guid;
}

void ReportFirewallState(const StateLibraryBinding& binding, bool active) {
  GUID guid = ProductInstanceGuidValue();
  if (const auto write = binding.writefwstatus())
    write(&guid, kReportedCompanyName, kReportedVersionNumber, kReportedDisplayName, active ? 1 : 0);
}

void UnregisterFirewall(const StateLibraryBinding& binding) {
  GUID guid = ProductInstanceGuidValue();
  if (const auto uninstall = binding.uninstallfw()) uninstall(&guid);
}

}  // namespace tvn
