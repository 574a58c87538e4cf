// Calls one function of TVN_STATE.DLL (beside it) as the Windows that Wine
// presents to this program, and ends with the function's status as exit code:
//   windows_version_probe.exe write|delete
// With no library the exit code is 2.
#include <windows.h>

#include <cstring>

#include "seccenter/binding/state_library_binding.h"

int main(int argc, char** argv) {
  tvn::StateLibraryBinding binding;
  binding.Start();
  GUID guid = tvn::ProductInstanceGuidValue();
  long status = 2;
  const bool write = argc > 1 && std::strcmp(argv[1], "write") == 0;
  if (write && binding.writefwstatus()) status = binding.writefwstatus()(&guid, nullptr, nullptr, L"Sonde", 1);
  if (!write && binding.uninstallfw()) status = binding.uninstallfw()(&guid);
  binding.Stop();
  return static_cast<int>(status);
}
