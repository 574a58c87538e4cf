// Run by system_helpers_test: ends itself with KillProcessById. Exit code 0
// shows the process ended inside the call; 3 that the call returned.
#include <windows.h>

#include "support/system_helpers.h"

int main() {
  tvn::KillProcessById(GetCurrentProcessId());
  return 3;
}
