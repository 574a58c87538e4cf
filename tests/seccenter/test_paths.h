// Where the Security Center tests find the programs they run and load.
#pragma once

#include <windows.h>

#include <string>

namespace tvn::test {

// The folder of the running test program, without a final separator.
inline std::wstring TestProgramDir() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, length);
  return dir.substr(0, dir.find_last_of(L"\\/"));
}

// A deliverable of the build (TVN_STATE.DLL, tvn_unreg.exe).
inline std::wstring DeliverablePath(const std::wstring& file) {
  return TestProgramDir() + L"\\" + TVN_DELIVERABLES_FROM_TESTS + L"\\" + file;
}

}  // namespace tvn::test
