// The exports of TVN_STATE.DLL. The module-definition file gives each one a
// second, decorated name that resolves to the same entry point.
#include "seccenter/tvn_state.h"

#include "seccenter/state_library.h"

using tvn::seccenter::CurrentWindowsVersion;
using tvn::seccenter::DeleteProductState;
using tvn::seccenter::ProductState;
using tvn::seccenter::WriteProductState;

extern "C" {

// Loading and unloading the library does nothing: it has no state, starts no
// thread and leaves COM to the caller.
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

long __cdecl writefwstatus(GUID* const instanceGuid, const wchar_t* companyName, const wchar_t* versionNumber,
                           const wchar_t* displayName, int enabled) {
  const ProductState state{instanceGuid, companyName, versionNumber, displayName, {enabled, 0}};
  return WriteProductState(tvn::seccenter::kFirewallProduct, state, CurrentWindowsVersion());
}

long __cdecl writeavstatus(GUID* const instanceGuid, const wchar_t* companyName, const wchar_t* versionNumber,
                           const wchar_t* displayName, int productUpToDate, int onAccessScanningEnabled) {
  const ProductState state{
      instanceGuid, companyName, versionNumber, displayName, {productUpToDate, onAccessScanningEnabled}};
  return WriteProductState(tvn::seccenter::kAntiVirusProduct, state, CurrentWindowsVersion());
}

long __cdecl writeaswstatus(GUID* const instanceGuid, const wchar_t* companyName, const wchar_t* versionNumber,
                            const wchar_t* displayName, int productUpToDate, int productEnabled) {
  const ProductState state{instanceGuid, companyName, versionNumber, displayName, {productUpToDate, productEnabled}};
  return WriteProductState(tvn::seccenter::kAntiSpywareProduct, state, CurrentWindowsVersion());
}

long __cdecl uninstallfw(GUID* const instanceGuid) {
  return DeleteProductState(tvn::seccenter::kFirewallProduct, instanceGuid);
}

long __cdecl uninstallav(GUID* const instanceGuid) {
  return DeleteProductState(tvn::seccenter::kAntiVirusProduct, instanceGuid);
}

long __cdecl uninstallasw(GUID* const instanceGuid) {
  return DeleteProductState(tvn::seccenter::kAntiSpywareProduct, instanceGuid);
}

}  // extern "C"
