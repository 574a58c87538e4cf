// The firewall's and tvn_unreg's hold on TVN_STATE.DLL: COM for the main
// thread, the library found by file name and its two entry points resolved
// by export name. A missing library or export leaves an entry null, which
// silently turns the Security Center calls into nothing.
#pragma once

#include <windows.h>

#include "seccenter/tvn_state.h"

namespace tvn {

// The firewall's instance in the Security Center, in registry form. Both
// programs use this one value and it never changes between releases, or
// tvn_unreg would not find the instance the firewall wrote.
inline constexpr wchar_t ProductInstanceGuid[] = L"{52A5A9E2-7F36-4788-B9C4-71D1EF2198E6}";

// The values that go with every report.
inline constexpr wchar_t kReportedCompanyName[] = L"Zelbar";
inline constexpr wchar_t kReportedVersionNumber[] = L"7.0";
inline constexpr wchar_t kReportedDisplayName[] = L"Torvane Firewall";

class StateLibraryBinding {
 public:
  // Entry points given instead of the library's: the seam through which a
  // test counts and inspects the reports a program makes.
  struct Entries {
    WriteFwStatusEntry writefwstatus = nullptr;
    UninstallFwEntry uninstallfw = nullptr;
  };

  // Unbound until Start.
  StateLibraryBinding() = default;
  static StateLibraryBinding WithEntries(Entries entries);
  StateLibraryBinding(StateLibraryBinding&& other) noexcept;
  StateLibraryBinding& operator=(StateLibraryBinding&&) = delete;
  StateLibraryBinding(const StateLibraryBinding&) = delete;
  StateLibraryBinding& operator=(const StateLibraryBinding&) = delete;
  ~StateLibraryBinding() { Stop(); }

  // At program start, before any window: COM for this thread (multithreaded
  // apartment; a refusal is not an error), then the already loaded "TVN_STATE.DLL" or else the copy the
  // standard search order finds (beside the program), and its two exports.
  void Start();
  // At normal program end, after the windows: the library is released if
  // Start loaded it, then COM if Start initialised it. Entries become null.
  void Stop();

  WriteFwStatusEntry writefwstatus() const { return entries_.writefwstatus; }
  UninstallFwEntry uninstallfw() const { return entries_.uninstallfw; }

 private:
  Entries entries_;
  HMODULE loadedModule_ = nullptr;  // only when Start loaded it
  bool comStarted_ = false;
};

// The instance GUID as a structure, converted from its text at each call.
GUID ProductInstanceGuidValue();

// Tells the Security Center whether the firewall is on: writefwstatus with
// the product's GUID, company, version and name, 1 when active else 0. The
// status is not examined and nothing is shown.
void ReportFirewallState(const StateLibraryBinding& binding, bool active);

// Deletes the firewall's Security Center instance (tvn_unreg); the status
// is not examined.
void UnregisterFirewall(const StateLibraryBinding& binding);

}  // namespace tvn
