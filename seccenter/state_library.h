// The work behind the TVN_STATE.DLL exports: writing and deleting one product
// instance in the "root\SecurityCenter" WMI namespace. Each call connects,
// does one operation and releases everything; the calling thread must have
// initialised COM. The Windows version is a parameter so that the Security
// Center availability rule can be exercised for any Windows.
#pragma once

#include <windows.h>

#include <cstddef>

namespace tvn::seccenter {

struct WindowsVersion {
  DWORD major = 0;
  DWORD minor = 0;
  WORD servicePackMajor = 0;
};

// The version of the running Windows, as GetVersionEx reports it.
WindowsVersion CurrentWindowsVersion();

// The Security Center exists from Windows XP SP2 (5.1 SP2) and from Vista
// (6.0) on; Windows 2000 and Server 2003 (5.2) have none.
bool HasSecurityCenter(const WindowsVersion& version);

// One WMI class of security product: its name, the start of its object
// paths and its boolean properties (the second is null for firewalls).
struct ProductClass {
  const wchar_t* className;
  const wchar_t* pathPrefix;
  const wchar_t* booleanNames[2];
};

inline constexpr ProductClass kFirewallProduct{
    L"FirewallProduct", L"FirewallProduct.instanceGuid=\"", {L"enabled", nullptr}};
inline constexpr ProductClass kAntiVirusProduct{
    L"AntiVirusProduct", L"AntiVirusProduct.instanceGuid=\"", {L"productUptoDate", L"onAccessScanningEnabled"}};
inline constexpr ProductClass kAntiSpywareProduct{
    L"AntiSpywareProduct", L"AntiSpywareProduct.instanceGuid=\"", {L"productUptoDate", L"productEnabled"}};

// What a write function was given. Company name and version number may be
// null (the property is then left unset); booleans are zero or not.
struct ProductState {
  const GUID* instanceGuid = nullptr;
  const wchar_t* companyName = nullptr;
  const wchar_t* versionNumber = nullptr;
  const wchar_t* displayName = nullptr;
  int booleans[2] = {0, 0};
};

// Creates or replaces the product's instance. E_INVALIDARG for a null GUID
// or display name, 1 when this Windows has no Security Center, else the
// first failing WMI status, else the status of PutInstance.
long WriteProductState(const ProductClass& product, const ProductState& state, const WindowsVersion& version);

// Deletes the product's instance: E_INVALIDARG for a null GUID, else the
// first failing status of the connection or the path, else DeleteInstance's.
long DeleteProductState(const ProductClass& product, const GUID* instanceGuid);

// The capacity, terminator included, of the buffer a delete builds its
// object path in (class prefix, GUID text, closing quote).
inline constexpr std::size_t kObjectPathCapacity = 228;

}  // namespace tvn::seccenter
