// Stand-in entry points for TVN_STATE.DLL that record what a program asks
// of the Security Center, for tests that count and inspect its reports:
//   auto binding = fake_state_library::Binding();
//   ... the program reports through `binding` ...
//   EXPECT_EQ(fake_state_library::reports.size(), 1u);
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "seccenter/binding/state_library_binding.h"

namespace tvn::test::fake_state_library {

struct Report {
  std::wstring instanceGuid;  // in registry form
  std::wstring companyName, versionNumber, displayName;
  int enabled = 0;
};

inline std::vector<Report> reports;
inline std::vector<std::wstring> uninstalls;  // the GUIDs asked to be deleted

inline std::wstring GuidText(const GUID* guid) {
  wchar_t text[64] = L"(null)";
  if (guid) StringFromGUID2(*guid, text, 64);
  return text;
}

inline std::wstring TextOrNull(const wchar_t* text) { return text ? text : L"(null)"; }

inline long __cdecl WriteFwStatus(GUID* const guid, const wchar_t* company, const wchar_t* version,
                                  const wchar_t* display, int enabled) {
  reports.push_back({GuidText(guid), TextOrNull(company), TextOrNull(version), TextOrNull(display), enabled});
  return 0;
}

inline long __cdecl UninstallFw(GUID* const guid) {
  uninstalls.push_back(GuidText(guid));
  return 0;
}

// Forgets earlier calls and binds both entry points to the recorders.
inline StateLibraryBinding Binding() {
  reports.clear();
  uninstalls.clear();
  return StateLibraryBinding::WithEntries({&WriteFwStatus, &UninstallFw});
}

}  // namespace tvn::test::fake_state_library
