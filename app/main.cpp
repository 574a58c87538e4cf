// torvane.exe: one instance per session, hidden in the tray, the filter
// opened three seconds after start.
#include <winsock2.h>  // before windows.h

#include <windows.h>

#include <cstdlib>
#include <memory>

#include "app/help.h"
#include "app/ob_message_box_dlg.h"
#include "app/program_dir.h"
#include "app/ttvn_main.h"
#include "application.h"
#include "engine/cloud_server.h"
#include "engine/nfapi_driver_port.h"
#include "engine/policy_services_impl.h"
#include "seccenter/binding/state_library_binding.h"
#include "support/system_helpers.h"

namespace tvn {
namespace {

constexpr char kInstanceMutexName[] = "Torvane";

// What lives for the whole run.
struct Program {
  StateLibraryBinding binding;
  NfapiDriverPort driver;
  std::unique_ptr<CloudTrustService> cloud;
  std::unique_ptr<TTVN_MAIN> main;
  std::unique_ptr<TOBMessageBoxDlg> message_box;
  bool stopped_from_tray = false;

  // The windows are destroyed before the process ends. The Security Center
  // binding is left to the end of the process: its Stop ends COM on this
  // thread, which faults under Wine once WMI has been used.
  void Finalise() {
    message_box.reset();
    main.reset();
  }
};

// A second start brings the first one's console up and ends.
bool AnotherInstanceRuns() {
  CreateMutexA(nullptr, FALSE, kInstanceMutexName);  // held until the process ends
  if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  if (HWND first = FindWindowA(kMainWindowClass, kMainWindowCaption)) SendMessageA(first, ShowMainWindowMessage, 0, 0);
  return true;
}

// The demonstration script points the cloud server at a loopback stand-in;
// without the variable the product's own server is used.
void UseDemoCloudServer() {
  if (const char* url = std::getenv("TVN_DEMO_CLOUD_URL"); url && *url) SetCloudServerUrlForTests(url);
}

int RunFirewall() {
  vcl::Application& app = vcl::Application::Instance();
  Program program;
  program.binding.Start();

  WSADATA winsock;
  WSAStartup(MAKEWORD(2, 2), &winsock);
  if (AnotherInstanceRuns()) ExitProcess(0);

  app.SetTitle("Torvane");
  InitProgramDir();
  SetCurrentDirectoryA(ProgramDir().c_str());
  Help().Load();
  UseDemoCloudServer();

  program.cloud = std::make_unique<CloudTrustService>();
  MainWindowServices services = SystemMainWindowServices(program.driver, program.binding, program.cloud.get());
  // The stop from the tray ends the loop; the windows are then destroyed
  // outside any of their handlers.
  services.EndProcess = [&program, &app] {
    program.stopped_from_tray = true;
    app.Terminate();
  };
  program.main = std::make_unique<TTVN_MAIN>(std::move(services));
  app.SetMainForm(program.main.get());
  SetShellOpenOwner(program.main->Handle());
  program.message_box = std::make_unique<TOBMessageBoxDlg>(program.main.get());
  program.main->SetCaption(kMainWindowCaption);

  app.Run();
  program.Finalise();
  if (!program.stopped_from_tray) WSACleanup();
  // Ends here, with the windows and the library already released: the
  // process-wide objects' destructors are not run at exit.
  ExitProcess(0);
}

}  // namespace
}  // namespace tvn

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return tvn::RunFirewall(); }
