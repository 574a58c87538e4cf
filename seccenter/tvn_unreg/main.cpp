// tvn_unreg.exe: run when the firewall is removed, it deletes the firewall's
// Security Center instance and ends, silently and with exit code 0 whether
// the library is there or not.
#include <windows.h>

#include "seccenter/binding/state_library_binding.h"
#include "seccenter/tvn_unreg/form1.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  tvn::StateLibraryBinding binding;
  binding.Start();
  {
    tvn::TForm1 Form1(instance, binding);
    if (Form1.Show()) {
      MSG message;
      while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
  }
  binding.Stop();
  return 0;
}
