// Reports the firewall's state through the binding the way the firewall
// program does, then ends with exit code 0:
//   report_state_probe.exe active|inactive
// It takes the firewall's place in the end-to-end tests of the Security
// Center entry (TVN_STATE.DLL beside it, or absent).
#include <cstring>

#include "seccenter/binding/state_library_binding.h"

int main(int argc, char** argv) {
  const bool active = argc > 1 && std::strcmp(argv[1], "active") == 0;
  tvn::StateLibraryBinding binding;
  binding.Start();
  tvn::ReportFirewallState(binding, active);
  binding.Stop();
  return 0;
}
