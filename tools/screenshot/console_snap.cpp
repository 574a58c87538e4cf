// The running firewall's console brought up on a chosen page (the demo's
// script then takes its picture from the display: a window of another
// process cannot be read back through the screen here), and a picture of
// the console's tray menu, opened in this process.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "app/ttvn_main.h"
#include "application.h"
#include "engine/decision_tables.h"
#include "engine/nfapi_driver_port.h"
#include "png_writer.h"
#include "scenes.h"
#include "timer.h"
#include "window_capture.h"

namespace tvn::screenshot {

namespace {

constexpr int kTabCentreX = 42;
constexpr int kTabHeight = 80;
constexpr int kPageControlTop = 57 + 44;

HWND WaitForConsole(DWORD limit_ms) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < limit_ms; Sleep(250))
    if (HWND window = FindWindowA(kMainWindowClass, kMainWindowCaption)) return window;
  return nullptr;
}

bool Save(const vcl::RgbImage& image, const std::string& file) {
  if (!vcl::WritePngFile(file, image)) {
    std::fprintf(stderr, "cannot write %s\n", file.c_str());
    return false;
  }
  std::printf("%s (%d x %d)\n", file.c_str(), image.width, image.height);
  std::fflush(stdout);
  return true;
}

}  // namespace

int ShowConsolePage(int index) {
  HWND console = WaitForConsole(60000);
  if (!console) {
    std::fprintf(stderr, "no running console found\n");
    return 1;
  }
  // What a second start of the program does: the console comes up.
  SendMessageA(console, ShowMainWindowMessage, 0, 0);
  // Wholly on the screen (a virtual display has no taskbar to sit above).
  RECT frame;
  GetWindowRect(console, &frame);
  const int left = std::min<int>(frame.left, GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left));
  const int top = std::min<int>(frame.top, GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top));
  SetWindowPos(console, HWND_TOPMOST, left, top, 0, 0, SWP_NOSIZE);
  HWND pages = ChildWindowFromPointEx(console, POINT{kTabCentreX, kPageControlTop + 10}, CWP_SKIPINVISIBLE);
  if (!pages || pages == console) {
    std::fprintf(stderr, "the console has no page control\n");
    return 1;
  }
  const LPARAM at = MAKELPARAM(kTabCentreX, index * kTabHeight + kTabHeight / 2);
  PostMessageA(pages, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(pages, WM_LBUTTONUP, 0, at);
  Sleep(800);  // painted
  return 0;
}

int SnapTrayMenu(const std::string& dir) {
  DecisionTables tables;
  NfapiDriverPort driver;
  StateLibraryBinding binding;
  MainWindowServices services;
  services.Tables = &tables;
  services.Driver = &driver;
  services.StateLibrary = &binding;
  services.MakeStore = [] { return std::make_unique<TGLMFWRule>("SOFTWARE\\Zelbar\\TorvaneScreenshots"); };
  services.TickCount = [] { return static_cast<uint32_t>(GetTickCount()); };
  services.EndProcess = [] {};
  services.KillOwnProcess = [] {};
  TTVN_MAIN console(std::move(services));
  console.TimerStartDriver.SetEnabled(false);

  bool ok = false;
  vcl::Timer capture(700);
  capture.on_timer = [&] {
    capture.SetEnabled(false);
    if (HWND menu = FindWindowA("#32768", nullptr)) ok = Save(vcl::CaptureWindow(menu), dir + "tray_menu.png");
    EndMenu();
  };
  const HWND owner = vcl::Application::Instance().UtilityWindow();
  console.Popup_Tray.Popup(owner, 600, 400);
  if (!ok) std::fprintf(stderr, "tray menu: not captured\n");
  return ok ? 0 : 1;
}

}  // namespace tvn::screenshot
