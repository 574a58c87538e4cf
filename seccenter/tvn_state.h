// The binary contract of TVN_STATE.DLL, the library that writes product states
// into the Windows Security Center. Every export uses the C calling convention
// and returns an HRESULT-style status: 0 done, 1 this Windows has no Security
// Center (nothing done), negative a failure. Texts are null-terminated UTF-16
// owned by the caller; the library keeps nothing after it returns.
#pragma once

#include <windows.h>

extern "C" {

long __cdecl writefwstatus(GUID* const instanceGuid, const wchar_t* companyName, const wchar_t* versionNumber,
                           const wchar_t* displayName, int enabled);
long __cdecl writeavstatus(GUID* const instanceGuid, const wchar_t* companyName, const wchar_t* versionNumber,
                           const wchar_t* displayName, int productUpToDate, int onAccessScanningEnabled);
long __cdecl writeaswstatus(GUID* const instanceGuid, const wchar_t* companyName, const wchar_t* versionNumber,
                            const wchar_t* displayName, int productUpToDate, int productEnabled);
long __cdecl uninstallfw(GUID* const instanceGuid);
long __cdecl uninstallav(GUID* const instanceGuid);
long __cdecl uninstallasw(GUID* const instanceGuid);

}  // extern "C"

// The two entry points the firewall and the unregister tool resolve by name.
using WriteFwStatusEntry = decltype(&writefwstatus);
using UninstallFwEntry = decltype(&uninstallfw);

// Status of a write function on a Windows without Security Center.
constexpr long kNoSecurityCenter = 1;
